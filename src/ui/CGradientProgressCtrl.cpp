#include "ui/CGradientProgressCtrl.h"

#include <wx/dcclient.h>

#include "ui/CMYMemDC.h"

namespace {

ui::Rgb ToRgb(const wxColour& c) {
    return {c.Red(), c.Green(), c.Blue()};
}

}  // namespace

CGradientProgressCtrl::CGradientProgressCtrl() {
    // Everything is painted off-screen and copied in one step; erasing first would flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

bool CGradientProgressCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                   const wxSize& size, long style) {
    if (!wxWindow::Create(parent, id, pos, size, style))
        return false;
    Bind(wxEVT_PAINT, &CGradientProgressCtrl::OnPaint, this);
    return true;
}

void CGradientProgressCtrl::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    m_position = lower;
    Refresh(false);
}

void CGradientProgressCtrl::GetRange(int& lower, int& upper) const {
    lower = m_lower;
    upper = m_upper;
}

int CGradientProgressCtrl::SetPos(int position) {
    const int previous = m_position;
    m_position = position;
    Refresh(false);
    return previous;
}

void CGradientProgressCtrl::SetStartColor(const wxColour& colour) {
    m_colorStart = colour;
}

void CGradientProgressCtrl::SetEndColor(const wxColour& colour) {
    m_colorEnd = colour;
}

void CGradientProgressCtrl::SetBkColor(const wxColour& colour) {
    m_colorBack = colour;
}

void CGradientProgressCtrl::SetTextColor(const wxColour& colour) {
    m_colorText = colour;
}

void CGradientProgressCtrl::ShowPercent(bool show) {
    m_showPercent = show;
}

ui::ProgressLook CGradientProgressCtrl::Look() const {
    return {m_lower,           m_upper,           m_position, ToRgb(m_colorStart),
            ToRgb(m_colorEnd), ToRgb(m_colorBack)};
}

void CGradientProgressCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC paint(this);
    const wxSize size = GetClientSize();
    const bool vertical = HasFlag(wxGA_VERTICAL);
    {
        CMYMemDC dc(paint, size);
        dc.SetPen(*wxTRANSPARENT_PEN);
        for (const auto& fill : ui::PlanProgressFill(Look(), size.x, size.y, vertical)) {
            dc.SetBrush(wxBrush(wxColour(fill.colour.r, fill.colour.g, fill.colour.b)));
            dc.DrawRectangle(fill.left, fill.top, fill.right - fill.left, fill.bottom - fill.top);
        }
    }
    const bool inRange = m_position > m_lower && m_position <= m_upper;
    if (m_showPercent && inRange) {
        paint.SetFont(GetFont());
        paint.SetTextForeground(m_colorText);
        paint.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        paint.DrawLabel(ui::FormatPercentText(m_position, m_lower, m_upper), wxRect(size),
                        wxALIGN_CENTER);
    }
}
