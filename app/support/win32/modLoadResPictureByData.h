// Pictures from the program's custom resources (the toolbar's PNG pictures):
// the resource bytes pass through a temporary file to the picture loader.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "outside/win32/Handles.h"

namespace modLoadResPictureByData {

// The resource's bytes (name and type as names, e.g. "IDP_EXIT",
// "PNG_PICTURES"; searched in the program's own module) loaded as a picture.
// backColor may be a system colour (high bit set). Throws RuntimeError.
outside::ComPtr<IPicture> LoadResPictureByData(const std::string& name, const std::string& type, uint32_t backColor);

// The bytes written to a new temporary file, loaded from there and the file
// deleted again, whether the load succeeded or failed (the error is passed on
// unchanged).
outside::ComPtr<IPicture> LoadPictureFromBytes(std::string_view bytes, uint32_t backColor);

// The raw bytes of a resource of the given module (null: the program).
std::string_view ResourceBytes(const std::string& name, const std::string& type, HMODULE module = nullptr);

}  // namespace modLoadResPictureByData
