// The file-system part of nested directory creation. Wide calls in every case,
// so that names outside the ANSI code page work; with longPaths on an NT
// system the path carries the long-path prefix.
#include <windows.h>

#include "../modCreateComplexDirectory.h"
#include "outside/win32/Wide.h"
#include "outside/win32/WindowSupport.h"

namespace modCreateComplexDirectory {
namespace {

std::wstring CallPath(const std::string& path, bool network, bool longPaths) {
    if (longPaths && outside::esIsHostWinNT()) return outside::W(MakeLongPath(path, network));
    return outside::W(path);
}

}  // namespace

bool IsExistingDirectory(const std::string& path, bool network, bool longPaths) {
    const DWORD attributes = ::GetFileAttributesW(CallPath(path, network, longPaths).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateOneDirectory(const std::string& path, bool network, bool longPaths) {
    return ::CreateDirectoryW(CallPath(path, network, longPaths).c_str(), nullptr) != FALSE;
}

}  // namespace modCreateComplexDirectory
