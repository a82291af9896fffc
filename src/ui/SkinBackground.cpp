#include "ui/SkinBackground.h"

void PaintBackgroundBeneath(const wxWindow& child, wxDC& dc) {
    const wxWindow* parent = child.GetParent();
    const wxSize size = child.GetClientSize();
    if (parent == nullptr)
        return;
    if (const auto* skin = dynamic_cast<const ISkinBackground*>(parent)) {
        const wxPoint origin = child.GetPosition() + child.GetClientAreaOrigin();
        skin->PaintBackground(dc, wxRect(origin, size));
        return;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(parent->GetBackgroundColour()));
    dc.DrawRectangle(wxPoint(0, 0), size);
}
