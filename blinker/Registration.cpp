// DllRegisterServer and DllUnregisterServer: the type library and the four
// classes of the class table, with their programmatic names and, for the two
// controls, the usual control entries. Everything goes under
// HKEY_CLASSES_ROOT, which every host (and Wine) looks in.
#include <string>

#include "Classes.h"
#include "ComSupport.h"
#include "Flickon0100_idl.h"
#include "Module.h"
#include "outside/RuntimeError.h"

namespace flickon {

namespace {

constexpr wchar_t kThreadingModel[] = L"Apartment";
constexpr wchar_t kTypeLibVersion[] = L"1.0";

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY raw = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) throw outside::RuntimeError(outside::ErrorNumberFromWin32(status), "RegCreateKeyEx");
    outside::UniqueRegKey owner(raw);
    status = ::RegSetValueExW(raw, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) throw outside::RuntimeError(outside::ErrorNumberFromWin32(status), "RegSetValueEx");
}

void RegisterClassEntry(const ClassEntry& entry, const std::wstring& path) {
    const std::wstring clsid = GuidText(*entry.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    SetValue(key, nullptr, entry.progId);
    SetValue(key + L"\\InprocServer32", nullptr, path);
    SetValue(key + L"\\InprocServer32", L"ThreadingModel", kThreadingModel);
    SetValue(key + L"\\ProgID", nullptr, entry.progId);
    SetValue(key + L"\\VersionIndependentProgID", nullptr, entry.progId);
    SetValue(key + L"\\TypeLib", nullptr, GuidText(LIBID_Flickon0100));
    SetValue(key + L"\\Version", nullptr, kTypeLibVersion);
    if (entry.control) {
        SetValue(key + L"\\Control", nullptr, L"");
        SetValue(key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(entry.toolboxBitmap));
        SetValue(key + L"\\MiscStatus", nullptr, L"0");
        SetValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kControlMiscStatus));
    }
    SetValue(entry.progId, nullptr, entry.name);
    SetValue(std::wstring(entry.progId) + L"\\CLSID", nullptr, clsid);
}

void UnregisterClassEntry(const ClassEntry& entry) {
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*entry.clsid)).c_str());
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.progId);
}

SYSKIND ThisSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

}  // namespace flickon

STDAPI DllUnregisterServer() {
    try {
        for (const flickon::ClassEntry& entry : flickon::LibraryClasses()) flickon::UnregisterClassEntry(entry);
        // Absent already is as good as removed.
        ::UnRegisterTypeLib(LIBID_Flickon0100, 1, 0, 0x0409, flickon::ThisSysKind());
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllRegisterServer() {
    std::wstring path;
    try {
        path = flickon::ModulePath();
        if (path.empty()) return SELFREG_E_CLASS;
        flickon::ComPtr<ITypeLib> library;
        if (FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put())) ||
            FAILED(::RegisterTypeLib(library.get(), path.data(), nullptr))) {
            return SELFREG_E_TYPELIB;
        }
    } catch (...) {
        return SELFREG_E_TYPELIB;
    }
    try {
        for (const flickon::ClassEntry& entry : flickon::LibraryClasses()) flickon::RegisterClassEntry(entry, path);
        return S_OK;
    } catch (...) {
        // Half a registration is worse than none.
        DllUnregisterServer();
        return SELFREG_E_CLASS;
    }
}
