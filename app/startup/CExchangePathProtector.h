// One chat per folder: a claim on a folder through a named lock whose name is
// derived from the folder path (a named mutex on Windows, a lock file on
// POSIX). The claim lasts as long as the object.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace startup {

// Windows limits an object's name to MAX_PATH characters (UTF-16).
inline constexpr size_t kMaxGuardNameLength = 259;

// "{66DD9D8B-...}-" + the path with every "\", "/" and ":" replaced by "?";
// where that would pass kMaxGuardNameLength, "{66DD9D8B-...}-" + the SHA-256
// of the replaced path in hexadecimal.
std::string FolderGuardName(const std::string& folderPath);

class CExchangePathProtector {
public:
    CExchangePathProtector();
    ~CExchangePathProtector();
    CExchangePathProtector(const CExchangePathProtector&) = delete;
    CExchangePathProtector& operator=(const CExchangePathProtector&) = delete;

    // True when another holder has this folder already (or the name is denied);
    // false when this object now holds the claim. Each call replaces the previous claim.
    bool IsPathProtected(const std::string& folderPath);

private:
    struct Claim;  // the platform's handle
    std::unique_ptr<Claim> claim_;
};

}  // namespace startup
