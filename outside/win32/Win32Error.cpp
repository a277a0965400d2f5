#include "Win32Error.h"

#include "../Support.h"
#include "Wide.h"

namespace outside {

std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (n && buffer) text = U8(std::wstring_view(buffer, n));
    if (buffer) ::LocalFree(buffer);
    text = asTrimEx2(text, true, true, true, true);
    if (text.empty()) text = "Системная ошибка " + asGetErrorNumber(ErrorNumberFromWin32(code)) + ".";
    return text;
}

RuntimeError Win32Error(DWORD code, const std::string& path) {
    std::string text = SystemMessage(code);
    if (!path.empty()) text += " (" + path + ")";
    return RuntimeError(ErrorNumberFromWin32(code), text);
}

RuntimeError LastError(const std::string& path) { return Win32Error(::GetLastError(), path); }

RuntimeError ComError(HRESULT hr, const std::string& what) {
    std::string text = SystemMessage(static_cast<unsigned long>(hr));
    if (!what.empty()) text = what + ": " + text;
    return RuntimeError(static_cast<long>(hr), text);
}

}  // namespace outside
