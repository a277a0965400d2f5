// Colour and picture helpers: OLE colours to RGB, RGB to the ARGB form GDI+
// expects, and bitmap handles wrapped in OLE pictures.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

#include "Handles.h"

namespace outside {

// An OLE colour as plain RGB (0x00BBGGRR): system colours (high byte 0x80)
// through GetSysColor, palette forms through the palette (none: the default
// one); plain RGB unchanged. Throws kErrInvalidCall for a value that is none
// of these.
uint32_t esTranslateColor(uint32_t colour, HPALETTE palette = nullptr);

// RGB (0x00BBGGRR) as opaque 32-bit ARGB (0xFFRRGGBB).
uint32_t esRGBtoD3DRGBA(uint32_t rgb);

// A bitmap picture that owns the handle from now on (also when this fails:
// the handle is deleted then). Throws kErrInvalidCall for a null handle and a
// COM error when the picture cannot be made.
ComPtr<IPicture> asGetBitmapFromHandle(HBITMAP bitmap);

}  // namespace outside
