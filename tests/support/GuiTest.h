#pragma once
// The fixture of window tests: every test process gets its own Xvfb display, a private home and
// a wx application, set up on the first test's SetUp and ended with the process. Tests drive
// windows with xdotool, wait on what they expect with a bound, and read pixels off the screen.

#include <gtest/gtest.h>
#include <wx/gdicmn.h>
#include <wx/webview.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/XScreen.h"

namespace testsupport {

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // Destroys the windows the test left open.
    void TearDown() override;

    // Runs the event loop until `condition` holds; false when it still does not after `bound`.
    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds bound = std::chrono::seconds(10));
    // Handles everything the event loop has waiting, without waiting for more.
    static void Pump();

    // xdotool with these arguments, on the test's display; false when it fails.
    static bool Xdotool(const std::vector<std::string>& args, std::string* output = nullptr);

    // The screen rectangle as it is now.
    static Screenshot Grab(const wxRect& screenArea);

    // Evaluates `script` in the page and returns its value as a string (JavaScript's String()),
    // or nothing when it threw or did not finish within `bound`.
    static std::optional<std::string> RunScript(
        wxWebView& view, const std::string& script,
        std::chrono::milliseconds bound = std::chrono::seconds(10));

    static const std::string& DisplayName();
};

}  // namespace testsupport
