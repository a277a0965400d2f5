// Win32 and COM failures as run-time errors, described by the system in the
// user's language.
#pragma once

#include <windows.h>

#include <string>

#include "../RuntimeError.h"

namespace outside {

std::string SystemMessage(unsigned long codeOrHresult);
RuntimeError Win32Error(DWORD code, const std::string& path = {});
RuntimeError LastError(const std::string& path = {});
RuntimeError ComError(HRESULT hr, const std::string& what = {});

}  // namespace outside
