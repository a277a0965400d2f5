// Text inside the program is UTF-8. These convert at the edges: UTF-16 for
// Win32 and COM calls and for UTF-16 files, cp1251 for old Russian files.
#pragma once

#include <string>
#include <string_view>

namespace outside {

bool IsValidUtf8(std::string_view text);
// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::string Cp1251ToUtf8(std::string_view bytes);
// Number of code points.
size_t Utf8Length(std::string_view text);

}  // namespace outside
