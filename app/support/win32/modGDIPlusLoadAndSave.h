// Loads a picture file as an OLE picture: the standard picture loader for the
// formats it reads (BMP, JPEG, GIF, icons, cursors, metafiles), GDI+ for the
// rest, with transparent pixels blended onto a background colour.
//
// PNG never goes to the standard loader. Windows' loader cannot read PNG at
// all (so it reaches GDI+ there anyway); Wine's reads it but turns the alpha
// channel into a one-bit mask. Sending PNG straight to GDI+ gives the same
// blended bitmap on both.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <string>

#include "outside/win32/Handles.h"

namespace modGDIPlusLoadAndSave {

// backColor is plain RGB (0x00BBGGRR). The caller owns the picture. Errors:
// 53 for a missing file; kErrObjectError with "Can't load bitmap file. " or
// "Can't get bitmap handle. " + the GDI+ status text; those of csGDIPlusToken.
outside::ComPtr<IPicture> LoadPictureFromFile(const std::string& path, uint32_t backColor);

}  // namespace modGDIPlusLoadAndSave
