// The folder claim as a named mutex in the session namespace. Wide names, so
// folders outside the ANSI code page never share a name.
#include <windows.h>

#include "../CExchangePathProtector.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

namespace startup {

struct CExchangePathProtector::Claim {
    outside::UniqueHandle mutex;
};

CExchangePathProtector::CExchangePathProtector() = default;
CExchangePathProtector::~CExchangePathProtector() = default;

bool CExchangePathProtector::IsPathProtected(const std::string& folderPath) {
    claim_.reset();
    const std::wstring name = outside::W(FolderGuardName(folderPath));
    HANDLE handle = ::CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = ::GetLastError();
    // Keep the handle even when the mutex existed: it is released with this object.
    claim_ = std::make_unique<Claim>();
    claim_->mutex.reset(handle);
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

}  // namespace startup
