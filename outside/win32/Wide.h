// The one pair of helpers that convert at Win32 and COM calls: UTF-8 inside,
// UTF-16 at the call.
#pragma once

#include <string>
#include <string_view>

namespace outside {

std::wstring W(std::string_view utf8);
std::string U8(std::wstring_view wide);

}  // namespace outside
