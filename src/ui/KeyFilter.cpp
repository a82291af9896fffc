#include "ui/KeyFilter.h"

namespace ui {

bool IsKeySwallowed(const KeyEventFacts& event, const std::function<bool(FilterKey)>& isHeld) {
    if (!event.keyDown)
        return false;
    const auto held = [&](FilterKey key) { return event.key == key || (isHeld && isHeld(key)); };
    if (held(FilterKey::F5))
        return true;
    return event.ctrlDown && (held(FilterKey::O) || held(FilterKey::P) || held(FilterKey::N));
}

}  // namespace ui
