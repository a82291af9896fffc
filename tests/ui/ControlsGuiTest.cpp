// The skinned controls on a real display: what they paint, and how they answer the mouse.
#include <wx/frame.h>

#include "res/Resources.h"
#include "support/GuiTest.h"
#include "ui/CGradientProgressCtrl.h"
#include "ui/CPngButton.h"
#include "ui/CSkinPanel.h"
#include "ui/CStaticEx.h"
#include "ui/LoadPngResource.h"

namespace {

using testsupport::Rgb8;

constexpr int kTolerance = 3;  // the toolkit's alpha blending rounds a little differently

class ControlsGuiTest : public testsupport::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        m_skin = LoadPngImage(resources::kSkin);
        ASSERT_TRUE(m_skin.IsOk());
        m_frame =
            new wxFrame(nullptr, wxID_ANY, "controls", wxPoint(0, 0), wxDefaultSize, wxBORDER_NONE);
        m_panel = new CSkinPanel;
        ASSERT_TRUE(m_panel->Create(m_frame, wxID_ANY, m_skin));
        m_frame->SetClientSize(m_panel->GetSize());
        m_frame->Show();
        // A skin pixel that is not black: the panel is on the screen once it shows.
        ASSERT_TRUE(WaitFor([&] { return ShowsSkin(wxRect(600, 170, 20, 20)); }));
    }

    // The skin as the panel shows it: composed over black.
    Rgb8 SkinAt(int x, int y) const {
        const unsigned a = m_skin.HasAlpha() ? m_skin.GetAlpha(x, y) : 255;
        return {static_cast<std::uint8_t>((m_skin.GetRed(x, y) * a + 127) / 255),
                static_cast<std::uint8_t>((m_skin.GetGreen(x, y) * a + 127) / 255),
                static_cast<std::uint8_t>((m_skin.GetBlue(x, y) * a + 127) / 255)};
    }

    wxRect OnScreen(const wxRect& panelRect) const {
        return wxRect(m_panel->ClientToScreen(panelRect.GetPosition()), panelRect.GetSize());
    }

    bool ShowsSkin(const wxRect& panelRect) const {
        const auto shot = Grab(OnScreen(panelRect));
        const wxPoint o = OnScreen(panelRect).GetPosition();
        for (int y = 0; y < panelRect.height; ++y)
            for (int x = 0; x < panelRect.width; ++x)
                if (!Near(shot.At(o.x + x, o.y + y), SkinAt(panelRect.x + x, panelRect.y + y),
                          kTolerance))
                    return false;
        return true;
    }

    // Pixels of `window` (panel coordinates) that differ from `image` drawn in its top-left
    // corner over the skin, with the skin beyond the image.
    int Mismatches(const wxRect& window, const wxImage& image) const {
        const wxRect screen = OnScreen(window);
        const auto shot = Grab(screen);
        int wrong = 0;
        for (int y = 0; y < window.height; ++y) {
            for (int x = 0; x < window.width; ++x) {
                Rgb8 expected = SkinAt(window.x + x, window.y + y);
                if (x < image.GetWidth() && y < image.GetHeight()) {
                    const unsigned a = image.HasAlpha() ? image.GetAlpha(x, y) : 255;
                    const auto over = [a](unsigned c, unsigned s) {
                        return static_cast<std::uint8_t>((c * a + s * (255 - a) + 127) / 255);
                    };
                    expected = {over(image.GetRed(x, y), expected.r),
                                over(image.GetGreen(x, y), expected.g),
                                over(image.GetBlue(x, y), expected.b)};
                }
                if (!Near(shot.At(screen.x + x, screen.y + y), expected, kTolerance))
                    ++wrong;
            }
        }
        return wrong;
    }

    bool Shows(const wxRect& window, int imageId) const {
        const wxImage image = LoadPngImage(imageId);
        return WaitFor([&] { return Mismatches(window, image) == 0; });
    }

    bool Mouse(const wxPoint& panelPoint, const std::vector<std::string>& then = {}) {
        const wxPoint p = m_panel->ClientToScreen(panelPoint);
        std::vector<std::string> args{"mousemove", std::to_string(p.x), std::to_string(p.y)};
        args.insert(args.end(), then.begin(), then.end());
        return Xdotool(args);
    }

    wxImage m_skin;
    wxFrame* m_frame = nullptr;
    CSkinPanel* m_panel = nullptr;
};

TEST_F(ControlsGuiTest, EachButtonShowsItsNormalImageThenItsPressedOne) {
    struct Button {
        wxRect window;
        int normal, pressed;
    } buttons[] = {
        {{800, 22, 100, 100}, resources::kGamePageNormal, resources::kGamePagePressed},
        {{900, 22, 100, 100}, resources::kFaqNormal, resources::kFaqPressed},
        {{1000, 22, 100, 100}, resources::kHomeNormal, resources::kHomePressed},
        {{1150, 22, 33, 32}, resources::kMinimizeNormal, resources::kMinimizePressed},
        {{1200, 22, 33, 32}, resources::kCloseNormal, resources::kClosePressed},
    };
    int clicks = 0;
    for (const auto& s : buttons) {
        auto* button = new CPngButton;
        ASSERT_NE(button->Create(s.window.x, s.window.y, s.window.width, s.window.height, m_panel,
                                 wxID_ANY, s.normal, s.pressed, s.pressed, s.normal),
                  nullptr);
        button->m_onClick = [&clicks] { ++clicks; };
    }
    int expectedClicks = 0;
    for (const auto& s : buttons) {
        SCOPED_TRACE(s.normal);
        EXPECT_TRUE(Shows(s.window, s.normal));
        ASSERT_TRUE(Mouse(s.window.GetPosition() + wxPoint(16, 14), {"mousedown", "1"}));
        EXPECT_TRUE(Shows(s.window, s.pressed));
        ASSERT_TRUE(Xdotool({"mouseup", "1"}));
        ++expectedClicks;
        EXPECT_TRUE(WaitFor([&] { return clicks == expectedClicks; }));
    }
}

TEST_F(ControlsGuiTest, ReleaseOutsideClicksAndADoubleClickClicksTwice) {
    const wxRect window(300, 200, 78, 28);
    auto* button = new CPngButton;
    ASSERT_NE(button->Create(window.x, window.y, window.width, window.height, m_panel, wxID_ANY,
                             resources::kHomeNormal, resources::kHomePressed,
                             resources::kHomePressed, resources::kHomeNormal),
              nullptr);
    int clicks = 0;
    bool doubleClick = false;
    button->m_onClick = [&clicks] { ++clicks; };
    button->Bind(wxEVT_LEFT_DCLICK, [&](wxMouseEvent& e) {
        doubleClick = true;
        e.Skip();
    });

    ASSERT_TRUE(Shows(window, resources::kHomeNormal));
    ASSERT_TRUE(Mouse(window.GetPosition() + wxPoint(20, 10), {"mousedown", "1"}));
    EXPECT_TRUE(Shows(window, resources::kHomePressed));
    ASSERT_TRUE(Mouse(wxPoint(600, 400)));
    EXPECT_TRUE(Shows(window, resources::kHomePressed));  // still held
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    EXPECT_TRUE(WaitFor([&] { return clicks == 1; }));
    EXPECT_TRUE(Shows(window, resources::kHomeNormal));

    ASSERT_TRUE(Mouse(window.GetPosition() + wxPoint(20, 10),
                      {"click", "--repeat", "2", "--delay", "60", "1"}));
    EXPECT_TRUE(WaitFor([&] { return clicks == 3; })) << clicks;
    EXPECT_TRUE(doubleClick) << "the two clicks were not taken as a double click";
}

TEST_F(ControlsGuiTest, DisabledWinsOverHoverAndPressed) {
    const wxRect window(300, 200, 78, 28);
    auto* button = new CPngButton;
    ASSERT_NE(button->Create(window.x, window.y, window.width, window.height, m_panel, wxID_ANY,
                             resources::kHomeNormal, resources::kHomePressed,
                             resources::kGamePageNormal, resources::kFaqNormal),
              nullptr);
    int clicks = 0;
    button->m_onClick = [&clicks] { ++clicks; };
    EXPECT_TRUE(Shows(window, resources::kHomeNormal));
    ASSERT_TRUE(Mouse(window.GetPosition() + wxPoint(20, 10)));
    EXPECT_TRUE(Shows(window, resources::kGamePageNormal));  // hover
    button->Disable();
    EXPECT_TRUE(Shows(window, resources::kFaqNormal));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    ASSERT_TRUE(Mouse(window.GetPosition() + wxPoint(30, 12), {"mouseup", "1"}));
    EXPECT_TRUE(Shows(window, resources::kFaqNormal));
    button->Enable();
    EXPECT_TRUE(Shows(window, resources::kGamePageNormal));  // still hovered
    EXPECT_EQ(clicks, 0);
}

// The progress bar as the main web window sets it up: both colours RGB(0,132,255), the rest
// RGB(105,105,105).
TEST_F(ControlsGuiTest, ProgressBarColoursAtZeroHalfAndFull) {
    const wxRect bar(100, 600, 400, 12);
    auto* progress = new CGradientProgressCtrl;
    ASSERT_TRUE(progress->Create(m_panel, 1000, bar.GetPosition(), bar.GetSize()));
    progress->SetRange(0, 100);
    progress->ShowPercent(false);
    progress->SetStartColor(wxColour(0, 132, 255));
    progress->SetEndColor(wxColour(0, 132, 255));
    progress->SetBkColor(wxColour(105, 105, 105));
    const Rgb8 blue{0, 132, 255};
    const Rgb8 grey{105, 105, 105};

    // Every column of the bar's middle row has the colour `colourAt` gives for it.
    const auto paints = [&](const std::function<Rgb8(int)>& colourAt) {
        return WaitFor([&] {
            const wxRect screen = OnScreen(bar);
            const auto shot = Grab(screen);
            for (int x = 0; x < bar.width; ++x)
                for (int y : {0, bar.height / 2, bar.height - 1})
                    if (shot.At(screen.x + x, screen.y + y) != colourAt(x))
                        return false;
            return true;
        });
    };
    progress->SetPos(0);
    EXPECT_TRUE(paints([&](int) { return grey; }));
    progress->SetPos(50);
    // 255 bands of 400/255 pixels: the band that passes pixel 200 ends at 202.
    EXPECT_TRUE(paints([&](int x) { return x < 202 ? blue : grey; }));
    progress->SetPos(100);
    EXPECT_TRUE(paints([&](int) { return blue; }));
    progress->SetPos(101);
    EXPECT_TRUE(paints([&](int) { return grey; }));
    // The out-of-range grey does not come from the back colour.
    progress->SetBkColor(*wxBLACK);
    progress->SetPos(0);
    EXPECT_TRUE(paints([&](int) { return grey; }));
    progress->SetPos(50);
    EXPECT_TRUE(paints([&](int x) { return x < 202 ? blue : Rgb8{0, 0, 0}; }));
}

TEST_F(ControlsGuiTest, ProgressBarPrintsItsPercentageOnlyWhenAsked) {
    const wxRect bar(100, 600, 400, 30);
    auto* progress = new CGradientProgressCtrl;
    ASSERT_TRUE(progress->Create(m_panel, wxID_ANY, bar.GetPosition(), bar.GetSize()));
    progress->SetStartColor(wxColour(0, 0, 96));
    progress->SetEndColor(wxColour(0, 0, 96));
    progress->SetBkColor(wxColour(0, 0, 96));
    progress->SetRange(0, 200);
    progress->SetPos(50);
    const auto whitePixels = [&] {
        const wxRect screen = OnScreen(bar);
        const auto shot = Grab(screen);
        int count = 0;
        for (int y = 0; y < bar.height; ++y)
            for (int x = 0; x < bar.width; ++x)
                if (Near(shot.At(screen.x + x, screen.y + y), Rgb8{255, 255, 255}, 60))
                    ++count;
        return count;
    };
    const wxPoint inside = OnScreen(bar).GetPosition() + wxPoint(5, 5);
    ASSERT_TRUE(WaitFor([&] {
        return Grab(OnScreen(bar)).At(inside.x, inside.y) == Rgb8{0, 0, 96};
    }));
    EXPECT_EQ(whitePixels(), 0);
    progress->ShowPercent(true);
    progress->Refresh();
    EXPECT_TRUE(WaitFor([&] { return whitePixels() > 20; }));
}

TEST_F(ControlsGuiTest, LabelDrawsOnlyWhiteTextOverTheSkin) {
    const wxRect label(60, 590, 220, 26);
    auto* text = new CStaticEx;
    ASSERT_TRUE(text->Create(m_panel, 1002, wxString::FromUTF8("正在下载："), label.GetPosition(),
                             label.GetSize()));
    // Text pixels only ever move a skin pixel towards white; the rest is the skin itself.
    int textPixels = 0;
    int lowestTextRow = -1;
    const bool drawn = WaitFor([&] {
        const wxRect screen = OnScreen(label);
        const auto shot = Grab(screen);
        textPixels = 0;
        lowestTextRow = -1;
        for (int y = 0; y < label.height; ++y) {
            for (int x = 0; x < label.width; ++x) {
                const Rgb8 skin = SkinAt(label.x + x, label.y + y);
                const Rgb8 seen = shot.At(screen.x + x, screen.y + y);
                if (seen.r + kTolerance < skin.r || seen.g + kTolerance < skin.g ||
                    seen.b + kTolerance < skin.b)
                    return false;  // darker than the skin: something else was painted
                if (!Near(seen, skin, kTolerance))
                    lowestTextRow = y;
                if (Near(seen, Rgb8{255, 255, 255}, 30))
                    ++textPixels;
            }
        }
        return textPixels > 40;
    });
    EXPECT_TRUE(drawn) << textPixels << " white pixels";
    EXPECT_LT(lowestTextRow, 21) << "the line is higher than 20 pixels";
    // Replacing the text repaints the skin where the old text was.
    text->SetLabel(wxString());
    EXPECT_TRUE(WaitFor([&] { return ShowsSkin(label); }));
}

}  // namespace
