// The library's module handle and its reference count: every live object,
// class factory, enumerator and LockServer call holds the module, and
// DllCanUnloadNow answers from the count.
#pragma once

#include <windows.h>

#include <string>

namespace flickon {

HINSTANCE ModuleInstance() noexcept;
// The full path of Flickon0100.dll as loaded.
std::wstring ModulePath();

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

// Holds the module for the life of the owning object.
class ModuleReference {
public:
    ModuleReference() noexcept { LockModule(); }
    ~ModuleReference() { UnlockModule(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace flickon
