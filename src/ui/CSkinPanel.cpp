#include "ui/CSkinPanel.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "ui/CMYMemDC.h"

namespace {

// Straight alpha over an opaque colour, rounded; the result has no alpha channel.
wxImage ComposeOver(const wxImage& image, const wxColour& back) {
    wxImage out(image.GetWidth(), image.GetHeight(), false);
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
    unsigned char* dst = out.GetData();
    const unsigned char backRgb[3] = {back.Red(), back.Green(), back.Blue()};
    const size_t pixels = static_cast<size_t>(image.GetWidth()) * image.GetHeight();
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned a = alpha != nullptr ? alpha[i] : 255;
        for (int c = 0; c < 3; ++c)
            dst[3 * i + c] = static_cast<unsigned char>(
                (rgb[3 * i + c] * a + backRgb[c] * (255 - a) + 127) / 255);
    }
    return out;
}

}  // namespace

CSkinPanel::CSkinPanel() {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

bool CSkinPanel::Create(wxWindow* parent, wxWindowID id, const wxImage& skin, const wxPoint& pos,
                        const wxColour& back) {
    const wxSize size = skin.IsOk() ? skin.GetSize() : wxDefaultSize;
    if (!wxPanel::Create(parent, id, pos, size, wxBORDER_NONE | wxTAB_TRAVERSAL))
        return false;
    SetBackgroundColour(back);
    SetSkin(skin, back);
    Bind(wxEVT_PAINT, &CSkinPanel::OnPaint, this);
    return true;
}

void CSkinPanel::SetSkin(const wxImage& skin, const wxColour& back) {
    m_skin = skin.IsOk() ? wxBitmap(ComposeOver(skin, back)) : wxBitmap();
    Refresh(false);
}

void CSkinPanel::PaintBackground(wxDC& dc, const wxRect& area) const {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetBackgroundColour()));
    dc.DrawRectangle(wxPoint(0, 0), area.GetSize());
    if (!m_skin.IsOk())
        return;
    wxMemoryDC source;
    source.SelectObjectAsSource(m_skin);
    const wxRect inside = area.Intersect(wxRect(m_skin.GetSize()));
    if (!inside.IsEmpty())
        dc.Blit(inside.GetPosition() - area.GetPosition(), inside.GetSize(), &source,
                inside.GetPosition());
}

void CSkinPanel::OnPaint(wxPaintEvent&) {
    wxPaintDC paint(this);
    CMYMemDC dc(paint, GetClientSize());
    PaintBackground(dc, wxRect(GetClientSize()));
}
