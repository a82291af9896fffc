#pragma once
// The launcher's message boxes as modal wx dialogs.

#include <wx/window.h>

#include "platform/MessageBox.h"

class WxMessageBox : public platform::IMessageBox {
  public:
    // Boxes are modal to `parent`, or to the application's active window when there is none.
    explicit WxMessageBox(wxWindow* parent = nullptr) : m_parent(parent) {}

    int Show(std::string_view text, std::string_view caption, platform::MessageIcon icon,
             platform::MessageButtons buttons) override;

  private:
    wxWindow* m_parent;
};
