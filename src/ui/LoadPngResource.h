#pragma once
// Pictures from the embedded resource table (res/Resources.h), decoded with their alpha channel.

#include <wx/bitmap.h>
#include <wx/image.h>

// The PNG resource `id` as an image; !IsOk() when the number is unknown or the data is broken.
wxImage LoadPngImage(int id);

// The same as a bitmap, alpha channel kept; !IsOk() when there is none.
wxBitmap LoadPngResource(int id);
