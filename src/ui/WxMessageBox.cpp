#include "ui/WxMessageBox.h"

#include <wx/msgdlg.h>

namespace {

long IconStyle(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Information:
            return wxICON_INFORMATION;
        case platform::MessageIcon::Exclamation:
            return wxICON_EXCLAMATION;
        case platform::MessageIcon::Error:
            return wxICON_ERROR;
        case platform::MessageIcon::Question:
            return wxICON_QUESTION;
        case platform::MessageIcon::None:
            break;
    }
    return wxICON_NONE;
}

wxString FromUtf8(std::string_view text) {
    return wxString::FromUTF8(text.data(), text.size());
}

}  // namespace

int WxMessageBox::Show(std::string_view text, std::string_view caption, platform::MessageIcon icon,
                       platform::MessageButtons buttons) {
    const long buttonStyle = buttons == platform::MessageButtons::YesNo ? wxYES_NO : wxOK;
    wxMessageDialog dialog(m_parent, FromUtf8(text), FromUtf8(caption),
                           buttonStyle | IconStyle(icon) | wxCENTRE);
    switch (dialog.ShowModal()) {
        case wxID_YES:
            return platform::kIdYes;
        case wxID_NO:
            return platform::kIdNo;
        case wxID_OK:
            return platform::kIdOk;
        default:
            // Closed without a button: a Yes/No box means No, an OK box was still acknowledged.
            return buttons == platform::MessageButtons::YesNo ? platform::kIdNo : platform::kIdOk;
    }
}
