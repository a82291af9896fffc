#include "ui/PngButtonState.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::ButtonImage;

// Plays a sequence of events: m(ove), d(own), u(p), l(eave), E(nable), D(isable). Returns the
// image after the sequence and counts the clicks (every up clicks).
struct Played {
    ButtonImage image;
    int clicks;
    int redrawsOnMove;
};

Played Play(const std::string& events) {
    ui::PngButtonState s;
    Played p{ButtonImage::Normal, 0, 0};
    for (const char e : events) {
        switch (e) {
            case 'm':
                p.redrawsOnMove += s.OnMouseMove() ? 1 : 0;
                break;
            case 'd':
                s.OnLeftDown();
                break;
            case 'u':
                s.OnLeftUp();
                ++p.clicks;
                break;
            case 'l':
                s.OnMouseLeave();
                break;
            case 'E':
                s.OnEnable(true);
                break;
            case 'D':
                s.OnEnable(false);
                break;
        }
    }
    p.image = s.CurrentImage();
    return p;
}

TEST(PngButtonState, EventsLeadToTheRightImage) {
    struct Case {
        const char* events;
        ButtonImage image;
    } cases[] = {
        {"", ButtonImage::Normal},      {"m", ButtonImage::Hover},     {"mm", ButtonImage::Hover},
        {"ml", ButtonImage::Normal},    {"md", ButtonImage::Pressed},  // down clears hover
        {"mdm", ButtonImage::Pressed},  // moving while pressed changes nothing
        {"mdl", ButtonImage::Pressed},  // dragged off: still pressed until the up
        {"mdlu", ButtonImage::Normal},  // released outside
        {"mdu", ButtonImage::Normal},   // hover was cleared by the down
        {"mdum", ButtonImage::Hover},   // the next move hovers again
        {"D", ButtonImage::Disabled},   {"mD", ButtonImage::Disabled},  // disabled wins over hover
        {"mdD", ButtonImage::Disabled},                                 // and over pressed
        {"mdDE", ButtonImage::Pressed},  // enabled again: the other states show
    };
    for (const auto& c : cases)
        EXPECT_EQ(Play(c.events).image, c.image) << c.events;
}

TEST(PngButtonState, OnlyTheFirstMoveOverAnIdleButtonRedraws) {
    EXPECT_EQ(Play("mmm").redrawsOnMove, 1);
    EXPECT_EQ(Play("mdmm").redrawsOnMove, 1);
    EXPECT_EQ(Play("mlm").redrawsOnMove, 2);
}

TEST(PngButtonState, EveryButtonUpClicksSoADoubleClickClicksTwice) {
    EXPECT_EQ(Play("mdu").clicks, 1);
    EXPECT_EQ(Play("mdudu").clicks, 2);
    EXPECT_EQ(Play("mdlu").clicks, 1);
}

}  // namespace
