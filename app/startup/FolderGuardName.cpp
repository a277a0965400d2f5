#include "CExchangePathProtector.h"

#include "outside/Sha256.h"
#include "outside/Utf.h"

namespace startup {
namespace {

constexpr char kGuardPrefix[] = "{66DD9D8B-670E-4254-B796-24EA1C03BF32}-";

}  // namespace

std::string FolderGuardName(const std::string& folderPath) {
    std::string name = folderPath;
    for (const char from : {'\\', '/', ':'})
        for (char& c : name)
            if (c == from) c = '?';
    std::string guard = kGuardPrefix + name;
    if (outside::Utf8ToUtf16(guard).size() <= kMaxGuardNameLength) return guard;
    // Windows refuses a longer object name, and a refused claim would let a
    // second Quillet in: a deep folder is named by a fingerprint of its path.
    static constexpr char kHex[] = "0123456789ABCDEF";
    guard = kGuardPrefix;
    for (const uint8_t byte : outside::Sha256(name)) {
        guard += kHex[byte >> 4];
        guard += kHex[byte & 0x0F];
    }
    return guard;
}

}  // namespace startup
