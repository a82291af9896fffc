#pragma once
// Flicker-free painting: everything drawn through this context goes to an off-screen bitmap of
// the target's area, which is put on the target in one step when the context goes out of scope.

#include <wx/dcbuffer.h>

class CMYMemDC : public wxBufferedDC {
  public:
    CMYMemDC(wxDC& target, const wxSize& area) : wxBufferedDC(&target, area) {}
};
