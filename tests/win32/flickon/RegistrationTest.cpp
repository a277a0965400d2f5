// regsvr32 registers and unregisters the library: every entry a host needs
// appears under HKEY_CLASSES_ROOT and vanishes again; the classes are created
// by name and by class id; the entry points keep the library while it is used.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

struct ClassRow {
    const ClassIdentity& names;  // as published: a typo in the library's constants must not pass
    const GUID* clsid;
    int toolbox;                 // 0: not a control
    std::vector<const IID*> interfaces;  // those the other tests never ask for
};

const ClassRow kClasses[] = {
    {kIdentities[0], &flickon::kClsidTorFlickon, 30000,
     {&IID_IOleControl, &IID_IViewObject2, &flickon::kIidTorFlickon}},
    {kIdentities[1], &flickon::kClsidIconFrames, 0, {&flickon::kIidIconFrames}},
    {kIdentities[2], &flickon::kClsidTorFlickon2, 30001,
     {&IID_IOleControl, &IID_IViewObject2, &flickon::kIidTorFlickon2}},
    {kIdentities[3], &flickon::kClsidFanservice, 0, {&IID_IPropertyPage, &flickon::kIidFanservice}}};

// Key, value name (null: the default value) and value ("*": any).
std::vector<std::tuple<std::wstring, const wchar_t*, std::wstring>> ExpectedEntries() {
    const std::wstring path = LibraryPath(), lib = kLibraryGuid;
    std::vector<std::tuple<std::wstring, const wchar_t*, std::wstring>> all;
    for (const ClassRow& row : kClasses) {
        const std::wstring key = std::wstring(L"CLSID\\") + row.names.clsid;
        all.emplace_back(key + L"\\InprocServer32", nullptr, path);
        all.emplace_back(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        all.emplace_back(key + L"\\ProgID", nullptr, row.names.progId);
        all.emplace_back(key + L"\\TypeLib", nullptr, lib);
        all.emplace_back(key + L"\\Version", nullptr, L"1.0");
        all.emplace_back(std::wstring(row.names.progId) + L"\\CLSID", nullptr, row.names.clsid);
        if (!row.toolbox) continue;
        all.emplace_back(key + L"\\Control", nullptr, L"");
        all.emplace_back(key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(row.toolbox));
        all.emplace_back(key + L"\\MiscStatus\\1", nullptr, L"*");
    }
    all.emplace_back(L"TypeLib\\" + lib + L"\\1.0", nullptr, L"Torvane - Flickon control 1.00");
    all.emplace_back(L"TypeLib\\" + lib + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win64" : L"win32"), nullptr, path);
    for (const wchar_t* iid : {kIdentities[0].defaultInterface, kIdentities[0].events, kIdentities[1].defaultInterface,
                               kIdentities[2].defaultInterface, kIdentities[2].events}) {
        all.emplace_back(std::wstring(L"Interface\\") + iid + L"\\TypeLib", nullptr, lib);
    }
    return all;
}

void ExpectRegistered(bool registered) {
    for (const auto& [key, name, expected] : ExpectedEntries()) {
        wchar_t value[1024] = {};
        DWORD size = sizeof value;
        const bool found =
            ::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS;
        EXPECT_EQ(found, registered) << key << " " << (name ? name : L"(default)");
        if (found && registered && expected != L"*") {
            EXPECT_EQ(::lstrcmpiW(value, expected.c_str()), 0) << key << " = " << value;
        }
    }
}

TEST(Registration, Regsvr32RegistersEveryEntryAndEveryClassThenUnregistersThem) {
    ASSERT_EQ(RunRegsvr32(L"/s"), 0u) << "registering again is no failure";
    ExpectRegistered(true);
    CLSID clsid{};
    for (const ClassRow& row : kClasses) {
        SCOPED_TRACE(row.names.progId);
        ASSERT_EQ(::CLSIDFromProgID(row.names.progId, &clsid), S_OK);
        EXPECT_TRUE(::IsEqualCLSID(clsid, *row.clsid));
        ComPtr<IUnknown> object;
        ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()), S_OK);
        for (const IID* iid : row.interfaces) {
            ComPtr<IUnknown> answered;
            EXPECT_EQ(object->QueryInterface(*iid, answered.put_void()), S_OK) << GuidText(*iid);
            EXPECT_TRUE(SameObject(answered.get(), object.get())) << "one identity";
        }
    }

    ASSERT_EQ(RunRegsvr32(L"/s /u"), 0u);
    ExpectRegistered(false);
    EXPECT_NE(::CLSIDFromProgID(kIdentities[0].progId, &clsid), S_OK);
    EXPECT_EQ(RunRegsvr32(L"/s /u"), 0u) << "unregistering what is not registered is no failure";
    ASSERT_EQ(RunRegsvr32(L"/s"), 0u) << "the rest of the suite needs the library registered";
}

TEST(Registration, EntryPointsAnswerAndModuleUnloadsWhenIdle) {
    outside::UniqueModule library(::LoadLibraryW(LibraryPath().c_str()));
    ASSERT_TRUE(library);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto entry = [&](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(library.get(), name)); };
    auto getClassObject = reinterpret_cast<GetClassObject>(entry("DllGetClassObject"));
    auto canUnload = reinterpret_cast<CanUnload>(entry("DllCanUnloadNow"));
    ASSERT_TRUE(getClassObject && canUnload && entry("DllRegisterServer") && entry("DllUnregisterServer"));

    ComPtr<IClassFactory> stranger;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, stranger.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(canUnload(), S_OK) << "no object of the library is alive between tests";
    for (const ClassRow& row : kClasses) {
        SCOPED_TRACE(row.names.progId);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(*row.clsid, IID_IClassFactory, factory.put_void()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE) << "a live class factory holds the library";
        ComPtr<IUnknown> object, outer = Identity(factory.get());
        EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.put_void()), CLASS_E_NOAGGREGATION);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        factory.reset();
        outer.reset();
        EXPECT_EQ(canUnload(), S_FALSE) << "a live object holds the library";
        object.reset();
        EXPECT_EQ(canUnload(), S_FALSE) << "LockServer holds the library";
        ASSERT_EQ(getClassObject(*row.clsid, IID_IClassFactory, factory.put_void()), S_OK);
        factory->LockServer(FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
}  // namespace flktest
