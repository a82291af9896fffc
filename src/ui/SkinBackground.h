#pragma once
// Child controls that have no background of their own (labels, image buttons) show the skin
// beneath them. A child window cannot be see-through without a compositor, so each one asks
// its parent to paint the part of the parent's background that it covers.

#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

class ISkinBackground {
  public:
    virtual ~ISkinBackground() = default;
    // Paints `area` (in this window's client coordinates) of the background into dc at (0, 0).
    virtual void PaintBackground(wxDC& dc, const wxRect& area) const = 0;
};

// Paints what lies beneath `child` in its parent into dc, the child's client area at (0, 0).
// A parent that is no ISkinBackground gives its background colour.
void PaintBackgroundBeneath(const wxWindow& child, wxDC& dc);
