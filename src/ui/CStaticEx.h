#pragma once
// A label that draws only its text: white by default, 20 pixels high, weight 500, in the
// launcher's Chinese face (or the first CJK face the system has), over the skin beneath it.
// Line breaks start new lines; there is no word wrap.

#include <wx/font.h>
#include <wx/window.h>

class CStaticEx : public wxWindow {
  public:
    CStaticEx();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                const wxSize& size);

    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return m_label; }
    void SetTextColor(const wxColour& colour);

    // The labels' font, sized so that one line of text is 20 pixels high.
    static wxFont LabelFont();

    wxColour m_textColor{255, 255, 255};

  private:
    void OnPaint(wxPaintEvent& event);

    wxString m_label;
    wxFont m_font;
};
