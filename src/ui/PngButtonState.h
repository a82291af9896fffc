#pragma once
// The image button's states and what each mouse event does to them, without a toolkit.

namespace ui {

enum class ButtonImage { Normal, Pressed, Hover, Disabled };

struct PngButtonState {
    bool m_hover = false;
    bool m_pressed = false;
    bool m_disabled = false;

    // Returns whether the button must be redrawn. Only the first move over an idle button
    // changes anything (it starts hovering, and the caller asks for a leave notice).
    bool OnMouseMove();
    // Button-down (a double click's second down included): pressed, no longer hovering.
    void OnLeftDown();
    // Button-up, wherever the pointer is: no longer pressed. Always a click.
    void OnLeftUp();
    void OnMouseLeave();
    void OnEnable(bool enabled);

    // Disabled wins over everything, pressed over hover.
    ButtonImage CurrentImage() const;
};

}  // namespace ui
