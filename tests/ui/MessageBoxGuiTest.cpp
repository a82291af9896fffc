// The launcher's message boxes as real dialogs, answered from the keyboard.
#include <gtk/gtk.h>
#include <wx/timer.h>

#include <chrono>

#include "support/GuiTest.h"
#include "ui/WxMessageBox.h"

namespace {

struct SeenDialog {
    std::string title;
    std::string text;
};

class MessageBoxGuiTest : public testsupport::GuiTest {
  protected:
    // Shows a box and, once it is on the screen, presses `key` in it. Gives up (answering the
    // dialog itself) when it does not show within ten seconds.
    int ShowAndPress(std::string_view text, std::string_view caption, platform::MessageIcon icon,
                     platform::MessageButtons buttons, const std::string& key) {
        wxTimer timer;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        bool pressed = false;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            GtkWidget* dialog = VisibleMessageDialog();
            if (dialog == nullptr || pressed) {
                if (std::chrono::steady_clock::now() > deadline && dialog != nullptr) {
                    ADD_FAILURE() << "the key did not answer the box";
                    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT);
                }
                return;
            }
            gchar* message = nullptr;
            g_object_get(dialog, "text", &message, nullptr);
            m_seen = {gtk_window_get_title(GTK_WINDOW(dialog)), message != nullptr ? message : ""};
            g_free(message);
            // Keys go where the pointer is when no window manager hands out the focus.
            int x = 0;
            int y = 0;
            gdk_window_get_origin(gtk_widget_get_window(dialog), &x, &y);
            x += gtk_widget_get_allocated_width(dialog) / 2;
            y += gtk_widget_get_allocated_height(dialog) / 4;
            pressed = Xdotool({"mousemove", std::to_string(x), std::to_string(y), "key", key});
        });
        timer.Start(50);
        return WxMessageBox().Show(text, caption, icon, buttons);
    }

    static GtkWidget* VisibleMessageDialog() {
        GtkWidget* found = nullptr;
        GList* windows = gtk_window_list_toplevels();
        for (GList* w = windows; w != nullptr; w = w->next) {
            if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data)))
                found = GTK_WIDGET(w->data);
        }
        g_list_free(windows);
        return found;
    }

    SeenDialog m_seen;
};

TEST_F(MessageBoxGuiTest, ShowsTextAndCaptionAndReportsTheButton) {
    EXPECT_EQ(ShowAndPress("登录验证未通过", "Brannoc", platform::MessageIcon::Error,
                           platform::MessageButtons::Ok, "Return"),
              platform::kIdOk);
    EXPECT_EQ(m_seen.title, "Brannoc");
    EXPECT_EQ(m_seen.text, "登录验证未通过");

    EXPECT_EQ(ShowAndPress("remove?", "提示", platform::MessageIcon::Question,
                           platform::MessageButtons::YesNo, "Return"),
              platform::kIdYes);
    EXPECT_EQ(m_seen.title, "提示");
    // Closing a Yes/No box without choosing is a No.
    EXPECT_EQ(ShowAndPress("remove?", "提示", platform::MessageIcon::Question,
                           platform::MessageButtons::YesNo, "Escape"),
              platform::kIdNo);
}

}  // namespace
