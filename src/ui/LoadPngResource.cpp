#include "ui/LoadPngResource.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include "res/Resources.h"

wxImage LoadPngImage(int id) {
    const auto bytes = resources::FindResource(id);
    if (bytes.empty())
        return wxImage();
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr)
        wxImage::AddHandler(new wxPNGHandler);  // the image class owns its handlers
    wxLogNull quiet;  // a broken picture is reported by the result, not by a log window
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage image;
    if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG))
        return wxImage();
    return image;
}

wxBitmap LoadPngResource(int id) {
    const wxImage image = LoadPngImage(id);
    if (!image.IsOk())
        return wxBitmap();
    return wxBitmap(image);
}
