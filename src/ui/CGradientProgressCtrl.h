#pragma once
// A progress bar that fills with bands of its start colour over its back colour and can print
// its percentage. A position at or below the lower bound, or above the upper one, shows the
// whole bar in a fixed grey. Created with wxGA_VERTICAL it fills from the top.

#include <wx/gauge.h>
#include <wx/window.h>

#include "ui/ProgressBands.h"

class CGradientProgressCtrl : public wxWindow {
  public:
    CGradientProgressCtrl();
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                long style = wxBORDER_NONE);

    // Stores both bounds and moves the position to the lower one.
    void SetRange(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Returns the previous position.
    int SetPos(int position);
    int GetPos() const { return m_position; }

    void SetStartColor(const wxColour& colour);
    void SetEndColor(const wxColour& colour);
    void SetBkColor(const wxColour& colour);
    void SetTextColor(const wxColour& colour);
    void ShowPercent(bool show);

  private:
    void OnPaint(wxPaintEvent& event);
    ui::ProgressLook Look() const;

    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
    wxColour m_colorStart{255, 0, 0};
    wxColour m_colorEnd{0, 0, 255};
    wxColour m_colorBack{0, 0, 0};
    wxColour m_colorText{255, 255, 255};
    bool m_showPercent = false;
};
