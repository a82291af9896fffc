#pragma once
// An image button drawn from PNG resources, in four states: normal, hover, pressed, disabled.
// The image sits in the window's top-left corner; wherever the window extends beyond it, and
// wherever the image is transparent, the skin beneath shows. The click fires on the button-up
// (the button holds the mouse from the button-down, so a release outside counts), and a quick
// double click counts as two clicks.

#include <wx/bitmap.h>
#include <wx/window.h>

#include <functional>

#include "ui/PngButtonState.h"

class CPngButton : public wxWindow {
  public:
    CPngButton();

    // Loads the four images and creates the button window at (x, y), width x height pixels in
    // parent's client area. Returns the window, or nullptr when it cannot be created.
    wxWindow* Create(int x, int y, int width, int height, wxWindow* parent, wxWindowID id,
                     int normalId, int pressedId, int hoverId, int disabledId);

    bool Enable(bool enable = true) override;

    ui::ButtonImage CurrentImage() const { return m_state.CurrentImage(); }

    // Called on every click; may be empty. The owner sets it after creation.
    std::function<void()> m_onClick;

  private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMouseLeave(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    const wxBitmap& CurrentBitmap() const;

    int m_width = 0;
    int m_height = 0;
    wxBitmap m_imgNormal;
    wxBitmap m_imgPressed;
    wxBitmap m_imgHover;
    wxBitmap m_imgDisabled;
    ui::PngButtonState m_state;
};
