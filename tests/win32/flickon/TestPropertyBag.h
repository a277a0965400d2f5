// A property bag as a container keeps one: values by name, objects stored
// in their saved form (through IPersistStream) and recreated on read, so a
// read never hands back the very object that was written. Writes are
// recorded in order; single names can be made to fail on read or write.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "outside/win32/Handles.h"

namespace flktest {

class TestPropertyBag final : public IPropertyBag {
public:
    static outside::ComPtr<TestPropertyBag> Create();

    std::vector<std::wstring> written;          // names of accepted writes, in order
    std::vector<std::wstring> refused;          // names whose write failed
    std::set<std::wstring> failReads;
    std::set<std::wstring> failWrites;

    bool Has(const std::wstring& name) const { return values_.count(name) != 0; }
    // The stored value (objects as VT_EMPTY); VT_ERROR when absent.
    VARIANT Value(const std::wstring& name) const;
    // Puts a plain value as a container that wrote it would.
    void Set(const std::wstring& name, const VARIANT& value);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

private:
    struct Stored {
        VARIANT plain{};                // VT_EMPTY for objects
        std::vector<BYTE> objectBytes;  // OleSaveToStream form
        bool isObject = false;
    };

    TestPropertyBag() = default;
    ~TestPropertyBag();
    ULONG refs_ = 1;
    std::map<std::wstring, Stored> values_;
};

}  // namespace flktest
