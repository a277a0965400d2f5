// DllMain keeps the module handle and nothing else; DllCanUnloadNow answers
// from the module's reference count.
#include "Module.h"

#include <atomic>

namespace flickon {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_locks{0};

}  // namespace

HINSTANCE ModuleInstance() noexcept { return g_instance; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void LockModule() noexcept { ++g_locks; }
void UnlockModule() noexcept { --g_locks; }
long ModuleLockCount() noexcept { return g_locks.load(); }

}  // namespace flickon

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) flickon::g_instance = instance;
    return TRUE;
}

STDAPI DllCanUnloadNow() { return flickon::ModuleLockCount() == 0 ? S_OK : S_FALSE; }
