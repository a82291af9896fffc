#include "ui/KeyFilter.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using ui::FilterKey;

TEST(KeyFilter, SwallowsRefreshOpenPrintNewWindowAndKeysWhileTheyAreHeld) {
    struct Case {
        const char* what;
        bool keyDown;
        bool ctrl;
        FilterKey key;
        std::set<FilterKey> held;  // down on the keyboard besides the event's own key
        bool swallowed;
    } cases[] = {
        {"F5", true, false, FilterKey::F5, {}, true},
        {"Ctrl+F5", true, true, FilterKey::F5, {}, true},
        {"typing while F5 is held", true, false, FilterKey::Other, {FilterKey::F5}, true},
        {"F5 released", false, false, FilterKey::F5, {}, false},
        {"Ctrl+O", true, true, FilterKey::O, {}, true},
        {"Ctrl+P", true, true, FilterKey::P, {}, true},
        {"Ctrl+N", true, true, FilterKey::N, {}, true},
        {"o typed", true, false, FilterKey::O, {}, false},
        {"Ctrl+C", true, true, FilterKey::Other, {}, false},
        {"Ctrl+A while O is held", true, true, FilterKey::Other, {FilterKey::O}, true},
        {"Ctrl+V while N is held", true, true, FilterKey::Other, {FilterKey::N}, true},
        {"typing while O is held, no Ctrl", true, false, FilterKey::Other, {FilterKey::O}, false},
        {"Ctrl released over O", false, true, FilterKey::O, {}, false},
        {"plain key", true, false, FilterKey::Other, {}, false},
    };
    for (const auto& c : cases) {
        const auto isHeld = [&](FilterKey k) { return c.held.count(k) != 0; };
        EXPECT_EQ(ui::IsKeySwallowed({c.keyDown, c.ctrl, c.key}, isHeld), c.swallowed) << c.what;
    }
}

TEST(KeyFilter, WithoutAKeyboardQueryTheEventsOwnKeyDecides) {
    EXPECT_TRUE(ui::IsKeySwallowed({true, false, FilterKey::F5}, nullptr));
    EXPECT_TRUE(ui::IsKeySwallowed({true, true, FilterKey::P}, nullptr));
    EXPECT_FALSE(ui::IsKeySwallowed({true, true, FilterKey::Other}, nullptr));
}

}  // namespace
