// regsvr32 registers and unregisters the library: every entry a host needs
// appears under HKEY_CLASSES_ROOT, and all of them vanish again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

// The value, or nullopt-like empty marker when the key or value is missing.
bool ReadValue(const std::wstring& key, const wchar_t* name, std::wstring* value) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, &type, buffer, &size) != ERROR_SUCCESS) {
        return false;
    }
    *value = buffer;
    return true;
}

bool KeyExists(const std::wstring& key) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    ::RegCloseKey(raw);
    return true;
}

struct Expected {
    std::wstring key;
    const wchar_t* name;     // null: the default value
    std::wstring value;      // compared without regard to case
};

struct ClassRow {
    const GUID* clsid;
    const wchar_t* progId;
    bool control;
    int toolbox;
};

// The names as published, not the library's constants: a typo there must not pass.
const ClassRow kClasses[] = {
    {&flickon::kClsidTorFlickon, kIdentities[0].progId, true, 30000},
    {&flickon::kClsidIconFrames, kIdentities[1].progId, false, 0},
    {&flickon::kClsidTorFlickon2, kIdentities[2].progId, true, 30001},
    {&flickon::kClsidFanservice, kIdentities[3].progId, false, 0},
};

std::vector<Expected> ExpectedEntries() {
    const std::wstring path = LibraryPath();
    const std::wstring lib = GuidText(flickon::kLibraryId);
    std::vector<Expected> all;
    for (const ClassRow& row : kClasses) {
        const std::wstring key = L"CLSID\\" + GuidText(*row.clsid);
        all.push_back({key + L"\\InprocServer32", nullptr, path});
        all.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        all.push_back({key + L"\\ProgID", nullptr, row.progId});
        all.push_back({key + L"\\TypeLib", nullptr, lib});
        all.push_back({key + L"\\Version", nullptr, L"1.0"});
        all.push_back({std::wstring(row.progId) + L"\\CLSID", nullptr, GuidText(*row.clsid)});
        if (row.control) {
            all.push_back({key + L"\\Control", nullptr, L""});
            all.push_back({key + L"\\ToolboxBitmap32", nullptr, path + L", " + std::to_wstring(row.toolbox)});
            all.push_back({key + L"\\MiscStatus\\1", nullptr, L"*"});
        }
    }
    all.push_back({L"TypeLib\\" + lib + L"\\1.0", nullptr, L"Torvane - Flickon control 1.00"});
    all.push_back({L"TypeLib\\" + lib + L"\\1.0\\409\\" + (sizeof(void*) == 8 ? L"win64" : L"win32"), nullptr, path});
    for (const GUID* iid : {&flickon::kIidTorFlickon, &flickon::kDiidTorFlickonEvents, &flickon::kIidTorFlickon2,
                            &flickon::kDiidTorFlickon2Events, &flickon::kIidIconFrames}) {
        all.push_back({L"Interface\\" + GuidText(*iid) + L"\\TypeLib", nullptr, lib});
    }
    return all;
}

void ExpectRegistered(bool registered) {
    for (const Expected& e : ExpectedEntries()) {
        std::wstring value;
        const bool found = ReadValue(e.key, e.name, &value);
        if (!registered) {
            EXPECT_FALSE(found) << "still there: " << e.key;
            continue;
        }
        ASSERT_TRUE(found) << "missing: " << e.key << " " << (e.name ? e.name : L"(default)");
        if (e.value != L"*") {
            EXPECT_EQ(::lstrcmpiW(value.c_str(), e.value.c_str()), 0) << e.key << " = " << value;
        }
    }
    for (const ClassRow& row : kClasses) {
        EXPECT_EQ(KeyExists(L"CLSID\\" + GuidText(*row.clsid)), registered);
        EXPECT_EQ(KeyExists(row.progId), registered);
    }
}

TEST(Registration, Regsvr32RegistersAndUnregistersEveryEntry) {
    ASSERT_EQ(RunRegsvr32(L"/s /u"), 0u);
    ExpectRegistered(false);
    CLSID clsid{};
    EXPECT_NE(::CLSIDFromProgID(kClasses[0].progId, &clsid), S_OK);

    ASSERT_EQ(RunRegsvr32(L"/s"), 0u);
    ExpectRegistered(true);
    for (const ClassRow& row : kClasses) {
        ASSERT_EQ(::CLSIDFromProgID(row.progId, &clsid), S_OK) << row.progId;
        EXPECT_TRUE(::IsEqualCLSID(clsid, *row.clsid)) << row.progId;
    }

    ASSERT_EQ(RunRegsvr32(L"/s /u"), 0u);
    ExpectRegistered(false);
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(RunRegsvr32(L"/s /u"), 0u);

    // The rest of the suite needs the library registered.
    ASSERT_EQ(RunRegsvr32(L"/s"), 0u);
    ExpectRegistered(true);
}

TEST(Registration, EveryClassIsCreatedByProgIdAndByClassId) {
    struct Row {
        const wchar_t* progId;
        const GUID* clsid;
        std::vector<const IID*> interfaces;
    };
    const std::vector<const IID*> control{&IID_IDispatch,           &IID_IOleObject,
                                          &IID_IOleControl,         &IID_IOleInPlaceObject,
                                          &IID_IViewObject2,        &IID_IPersistPropertyBag,
                                          &IID_IPersistStreamInit,  &IID_IConnectionPointContainer,
                                          &IID_IProvideClassInfo2,  &IID_ISpecifyPropertyPages};
    std::vector<Row> rows{{kClasses[0].progId, &flickon::kClsidTorFlickon, control},
                          {kClasses[2].progId, &flickon::kClsidTorFlickon2, control},
                          {kClasses[1].progId, &flickon::kClsidIconFrames, {&IID_IDispatch}},
                          {kClasses[3].progId, &flickon::kClsidFanservice, {&IID_IPropertyPage}}};
    rows[0].interfaces.push_back(&flickon::kIidTorFlickon);
    rows[1].interfaces.push_back(&flickon::kIidTorFlickon2);
    rows[2].interfaces.push_back(&flickon::kIidIconFrames);
    rows[3].interfaces.push_back(&flickon::kIidFanservice);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.progId);
        CLSID byName{};
        ASSERT_EQ(::CLSIDFromProgID(row.progId, &byName), S_OK);
        for (const CLSID* clsid : {static_cast<const CLSID*>(&byName), row.clsid}) {
            ComPtr<IUnknown> object;
            ASSERT_EQ(::CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void()),
                      S_OK);
            for (const IID* iid : row.interfaces) {
                ComPtr<IUnknown> answered;
                EXPECT_EQ(object->QueryInterface(*iid, answered.put_void()), S_OK) << GuidText(*iid);
                EXPECT_TRUE(SameObject(answered.get(), object.get())) << "one identity";
            }
        }
    }
}

TEST(Registration, EntryPointsAnswerAndModuleUnloadsWhenIdle) {
    outside::UniqueModule library(::LoadLibraryW(LibraryPath().c_str()));
    ASSERT_TRUE(library);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto entry = [&](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(library.get(), name)); };
    auto getClassObject = reinterpret_cast<GetClassObject>(entry("DllGetClassObject"));
    auto canUnload = reinterpret_cast<CanUnload>(entry("DllCanUnloadNow"));
    ASSERT_TRUE(getClassObject && canUnload);
    ASSERT_TRUE(entry("DllRegisterServer"));
    ASSERT_TRUE(entry("DllUnregisterServer"));

    ComPtr<IClassFactory> stranger;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, stranger.put_void()), CLASS_E_CLASSNOTAVAILABLE);

    EXPECT_EQ(canUnload(), S_OK) << "no object of the library is alive between tests";
    for (const ClassRow& row : kClasses) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(*row.clsid, IID_IClassFactory, factory.put_void()), S_OK) << row.progId;
        EXPECT_EQ(canUnload(), S_FALSE) << "a live class factory holds the library";
        ComPtr<IUnknown> object;
        ComPtr<IUnknown> outer = Identity(factory.get());
        EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.put_void()), CLASS_E_NOAGGREGATION);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK) << row.progId;
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        factory.reset();
        outer.reset();
        EXPECT_EQ(canUnload(), S_FALSE) << "a live object holds the library";
        object.reset();
        EXPECT_EQ(canUnload(), S_FALSE) << "LockServer holds the library";
        ComPtr<IClassFactory> again;
        ASSERT_EQ(getClassObject(*row.clsid, IID_IClassFactory, again.put_void()), S_OK);
        again->LockServer(FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
}  // namespace flktest
