#include "ui/PngButtonState.h"

namespace ui {

bool PngButtonState::OnMouseMove() {
    if (m_pressed || m_hover)
        return false;
    m_hover = true;
    return true;
}

void PngButtonState::OnLeftDown() {
    m_pressed = true;
    m_hover = false;
}

void PngButtonState::OnLeftUp() {
    m_pressed = false;
}

void PngButtonState::OnMouseLeave() {
    m_hover = false;
}

void PngButtonState::OnEnable(bool enabled) {
    m_disabled = !enabled;
}

ButtonImage PngButtonState::CurrentImage() const {
    if (m_disabled)
        return ButtonImage::Disabled;
    if (m_pressed)
        return ButtonImage::Pressed;
    if (m_hover)
        return ButtonImage::Hover;
    return ButtonImage::Normal;
}

}  // namespace ui
