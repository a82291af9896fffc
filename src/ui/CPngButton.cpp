#include "ui/CPngButton.h"

#include <wx/dcclient.h>

#include "ui/CMYMemDC.h"
#include "ui/LoadPngResource.h"
#include "ui/SkinBackground.h"

CPngButton::CPngButton() {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

wxWindow* CPngButton::Create(int x, int y, int width, int height, wxWindow* parent, wxWindowID id,
                             int normalId, int pressedId, int hoverId, int disabledId) {
    m_imgNormal = LoadPngResource(normalId);
    m_imgPressed = LoadPngResource(pressedId);
    m_imgHover = LoadPngResource(hoverId);
    m_imgDisabled = LoadPngResource(disabledId);
    m_width = width;
    m_height = height;
    if (!wxWindow::Create(parent, id, wxPoint(x, y), wxSize(width, height), wxBORDER_NONE))
        return nullptr;
    Bind(wxEVT_PAINT, &CPngButton::OnPaint, this);
    Bind(wxEVT_MOTION, &CPngButton::OnMouseMove, this);
    Bind(wxEVT_ENTER_WINDOW, &CPngButton::OnMouseMove, this);
    Bind(wxEVT_LEFT_DOWN, &CPngButton::OnLeftDown, this);
    // The second button-down of a double click arrives as a double-click event.
    Bind(wxEVT_LEFT_DCLICK, &CPngButton::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CPngButton::OnLeftUp, this);
    Bind(wxEVT_LEAVE_WINDOW, &CPngButton::OnMouseLeave, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CPngButton::OnCaptureLost, this);
    return this;
}

bool CPngButton::Enable(bool enable) {
    const bool changed = wxWindow::Enable(enable);
    m_state.OnEnable(enable);
    Refresh(false);
    return changed;
}

void CPngButton::OnMouseMove(wxMouseEvent& event) {
    if (m_state.OnMouseMove())
        Refresh(false);
    event.Skip();
}

void CPngButton::OnLeftDown(wxMouseEvent& event) {
    m_state.OnLeftDown();
    if (!HasCapture())
        CaptureMouse();
    Refresh(false);
    event.Skip();
}

void CPngButton::OnLeftUp(wxMouseEvent& event) {
    if (HasCapture())
        ReleaseMouse();
    m_state.OnLeftUp();
    Refresh(false);
    event.Skip();
    // Last: the click may close the window that holds this button.
    if (m_onClick) {
        const auto onClick = m_onClick;
        onClick();
    }
}

void CPngButton::OnMouseLeave(wxMouseEvent& event) {
    m_state.OnMouseLeave();
    Refresh(false);
    event.Skip();
}

void CPngButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    // Another window took the mouse mid-press: no button-up will come, so no click either, and
    // the button must not stay drawn pressed.
    m_state.OnLeftUp();
    Refresh(false);
}

const wxBitmap& CPngButton::CurrentBitmap() const {
    switch (m_state.CurrentImage()) {
        case ui::ButtonImage::Disabled:
            return m_imgDisabled;
        case ui::ButtonImage::Pressed:
            return m_imgPressed;
        case ui::ButtonImage::Hover:
            return m_imgHover;
        case ui::ButtonImage::Normal:
            break;
    }
    return m_imgNormal;
}

void CPngButton::OnPaint(wxPaintEvent&) {
    wxPaintDC paint(this);
    CMYMemDC dc(paint, GetClientSize());
    PaintBackgroundBeneath(*this, dc);
    const wxBitmap& image = CurrentBitmap();
    if (image.IsOk())
        dc.DrawBitmap(image, 0, 0, true);
}
