// The identity from the running program's version resource; what the
// resource lacks comes from the identity compiled in.
#include <windows.h>

#include <vector>

#include "../ProductIdentity.h"
#include "Wide.h"

namespace outside {
namespace {

std::string StringValue(const std::vector<BYTE>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                          &size) ||
        size < sizeof(Translation))
        return {};
    wchar_t path[128];
    ::swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage,
               name);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size) || size == 0) return {};
    return U8(std::wstring(value, size - 1));
}

ProductIdentity ReadIdentity() {
    ProductIdentity identity = CompiledProductIdentity();
    wchar_t module[MAX_PATH] = {};
    if (!::GetModuleFileNameW(nullptr, module, MAX_PATH)) return identity;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(module, &ignored);
    if (size == 0) return identity;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(module, 0, size, block.data())) return identity;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed) {
        identity.major = HIWORD(fixed->dwFileVersionMS);
        identity.minor = LOWORD(fixed->dwFileVersionMS);
        identity.revision = LOWORD(fixed->dwFileVersionLS);
    }
    if (auto title = StringValue(block, L"ProductName"); !title.empty()) identity.title = title;
    if (auto legal = StringValue(block, L"LegalCopyright"); !legal.empty()) identity.legal = legal;
    return identity;
}

}  // namespace

const ProductIdentity& TheProductIdentity() {
    static const ProductIdentity identity = ReadIdentity();
    return identity;
}

}  // namespace outside
