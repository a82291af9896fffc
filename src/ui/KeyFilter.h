#pragma once
// The browser's key filter: which key-downs never reach the page. It looks at the keyboard as
// it is, not only at the key of the event: while F5 is held every key-down is swallowed, and
// so is every key-down while Ctrl and one of O, P or N are held (refresh, open, print, new
// window). Everything else (typing, Tab, Enter, Ctrl+C/V/A) goes to the page.

#include <functional>

namespace ui {

enum class FilterKey { F5, O, P, N, Other };

struct KeyEventFacts {
    bool keyDown = false;              // a key-down, rather than a release or anything else
    bool ctrlDown = false;             // Ctrl as the event saw it
    FilterKey key = FilterKey::Other;  // the event's own key (held, since it is going down)
};

// isHeld tells whether a key is down on the keyboard right now; it may know nothing (always
// false), and the event's own key counts as held either way.
bool IsKeySwallowed(const KeyEventFacts& event, const std::function<bool(FilterKey)>& isHeld);

}  // namespace ui
