#pragma once
// A panel that draws the skin as its own background and paints it beneath its children on
// request. The skin's alpha is composed over the panel's background colour once, up front.

#include <wx/bitmap.h>
#include <wx/panel.h>

#include "ui/SkinBackground.h"

class CSkinPanel : public wxPanel, public ISkinBackground {
  public:
    CSkinPanel();
    // The panel takes the skin's size. False when the window cannot be created.
    bool Create(wxWindow* parent, wxWindowID id, const wxImage& skin,
                const wxPoint& pos = wxDefaultPosition, const wxColour& back = *wxBLACK);

    void SetSkin(const wxImage& skin, const wxColour& back);
    void PaintBackground(wxDC& dc, const wxRect& area) const override;

  private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_skin;  // opaque
};
