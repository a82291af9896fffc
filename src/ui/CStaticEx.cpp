#include "ui/CStaticEx.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/fontenum.h>

#include "ui/CMYMemDC.h"
#include "ui/SkinBackground.h"

namespace {

constexpr int kLineHeight = 20;
constexpr int kWeight = 500;

// The face the labels were designed with first, then CJK faces a Linux desktop has.
wxString LabelFace() {
    for (const char* face : {"微软雅黑", "Microsoft YaHei", "WenQuanYi Micro Hei",
                             "Noto Sans CJK SC", "Source Han Sans SC", "Droid Sans Fallback"}) {
        const wxString name = wxString::FromUTF8(face);
        if (wxFontEnumerator::IsValidFacename(name))
            return name;
    }
    return wxString();  // the default face; the font system still falls back per character
}

}  // namespace

wxFont CStaticEx::LabelFont() {
    wxFontInfo info(wxSize(0, kLineHeight));
    const wxString face = LabelFace();
    if (!face.empty())
        info.FaceName(face);
    wxFont font(info.Family(wxFONTFAMILY_SWISS));
    font.SetNumericWeight(kWeight);
    // The height names the whole line, ascent plus descent, not the em size the toolkit takes:
    // shrink until a line of CJK text is no higher than that.
    wxBitmap scratch(1, 1);
    wxMemoryDC dc(scratch);
    for (int px = kLineHeight; px > kLineHeight / 2; --px) {
        font.SetPixelSize(wxSize(0, px));
        dc.SetFont(font);
        if (dc.GetTextExtent(wxString::FromUTF8("正在下载")).y <= kLineHeight)
            break;
    }
    return font;
}

CStaticEx::CStaticEx() {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

bool CStaticEx::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                       const wxSize& size) {
    if (!wxWindow::Create(parent, id, pos, size, wxBORDER_NONE))
        return false;
    m_label = label;
    m_font = LabelFont();
    Bind(wxEVT_PAINT, &CStaticEx::OnPaint, this);
    return true;
}

void CStaticEx::SetLabel(const wxString& label) {
    if (label == m_label)
        return;
    m_label = label;
    Refresh(false);
}

void CStaticEx::SetTextColor(const wxColour& colour) {
    m_textColor = colour;
    Refresh(false);
}

void CStaticEx::OnPaint(wxPaintEvent&) {
    wxPaintDC paint(this);
    CMYMemDC dc(paint, GetClientSize());
    PaintBackgroundBeneath(*this, dc);
    dc.SetFont(m_font);
    dc.SetTextForeground(m_textColor);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.DrawLabel(m_label, wxRect(GetClientSize()), wxALIGN_LEFT | wxALIGN_TOP);
}
