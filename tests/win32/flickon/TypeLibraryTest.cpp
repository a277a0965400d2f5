// What hosts bind to: the class and events a control names, the names and
// dispatch ids scripts call, and the library's resources and version block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

std::wstring GuidOfInfo(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attr))) return L"";
    const std::wstring guid = GuidText(attr->guid);
    info->ReleaseTypeAttr(attr);
    return guid;
}

ComPtr<ITypeLib> LoadLibraryTypeLib() {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(::LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, lib.put()), S_OK);
    return lib;
}

// Hosts ask a control at run time for its class and its events.
TEST(TypeLibrary, ControlsNameTheirClassAndEvents) {
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    BSTR name = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"Flickon0100");
    ::SysFreeString(name);
    for (const ClassIdentity& row : kIdentities) {
        if (!row.events) continue;
        SCOPED_TRACE(row.name);
        ComPtr<IProvideClassInfo2> provide = CreateObject(GuidOf(row.clsid)).As<IProvideClassInfo2>(
            IID_IProvideClassInfo2);
        ASSERT_TRUE(provide);
        GUID source{};
        ASSERT_EQ(provide->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
        EXPECT_EQ(GuidText(source), row.events);
        ComPtr<ITypeInfo> classInfo;
        ASSERT_EQ(provide->GetClassInfo(classInfo.put()), S_OK);
        EXPECT_EQ(GuidOfInfo(classInfo.get()), row.clsid);
    }
}

// The names and dispatch ids as published: scripts and compiled hosts hold them.
const struct {
    const wchar_t* iid;
    const wchar_t* clsid;  // the class whose objects answer these names (null: none)
    std::vector<std::pair<const wchar_t*, DISPID>> members;
} kInterfaces[] = {
    {kIdentities[0].defaultInterface, kIdentities[0].clsid,
     {{L"Blink", 0x68030004}, {L"StandardIcon", 0x68030003}, {L"BlinkIcon1", 0x68030002},
      {L"BlinkIcon2", 0x68030001}, {L"Interval", 0x68030000}}},
    {kIdentities[2].defaultInterface, kIdentities[2].clsid,
     {{L"Blink", 0x68030003}, {L"StandardIcon", 0x68030002}, {L"Interval", 0x68030001}, {L"IconFrames", 0x68030000}}},
    {kIdentities[1].defaultInterface, kIdentities[1].clsid,
     {{L"Clear", 0x60030003}, {L"Count", 0x68030000}, {L"RemoveFrame", 0x60030004}, {L"Item", 0},
      {L"AddFrame", 0x60030005}}},
    {kIdentities[0].events, nullptr, {{L"UpdateIcon", 1}}},
    {kIdentities[2].events, nullptr, {{L"UpdateIcon", 1}}},
};

TEST(TypeLibrary, MembersHaveTheirDispatchIdsAndObjectsDescribeThemselves) {
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    for (const auto& row : kInterfaces) {
        SCOPED_TRACE(row.iid);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(GuidOf(row.iid), info.put()), S_OK);
        ComPtr<IDispatch> object = row.clsid ? CreateObject(GuidOf(row.clsid)) : ComPtr<IDispatch>();
        if (object) {  // hosts that bind late ask the object for its interface's description
            ComPtr<ITypeInfo> described;
            ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, described.put()), S_OK);
            EXPECT_EQ(GuidOfInfo(described.get()), row.iid);
        }
        for (const auto& [memberName, id] : row.members) {
            LPOLESTR name = const_cast<LPOLESTR>(memberName);
            DISPID byName = 0;
            EXPECT_EQ(object ? object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &byName)
                             : info->GetIDsOfNames(&name, 1, &byName),
                      S_OK);
            EXPECT_EQ(byName, id) << memberName;
        }
    }
}

// The bitmaps the library carries (the Fanservice picture is checked where it is shown).
TEST(Resources, BitmapsHaveTheirSizesAndDepth) {
    const struct {
        const wchar_t* name;
        int width, height;
    } rows[] = {{L"BACK", 38, 38}, {L"BACK2", 38, 38}, {MAKEINTRESOURCEW(30000), 16, 15},
                {MAKEINTRESOURCEW(30001), 16, 15}};
    outside::UniqueModule library(
        ::LoadLibraryExW(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(library);
    for (const auto& row : rows) {
        SCOPED_TRACE(IS_INTRESOURCE(row.name) ? std::to_string(reinterpret_cast<uintptr_t>(row.name)) : "named");
        outside::UniqueGdiObject bitmap(::LoadImageW(library.get(), row.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        DIBSECTION info{};
        ASSERT_TRUE(bitmap && ::GetObjectW(bitmap.get(), sizeof info, &info));
        EXPECT_EQ(info.dsBm.bmWidth, row.width);
        EXPECT_EQ(info.dsBm.bmHeight, row.height);
        EXPECT_EQ(info.dsBm.bmBitsPixel, 24);
    }
}

TEST(Resources, VersionBlockMarksTheFileSelfRegistering) {
    const std::wstring path = LibraryPath();
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileVersion", L"1.00.0005"}, {L"ProductVersion", L"1.00.0005"}, {L"OLESelfRegister", L""}};
    for (const auto& [name, expected] : strings) {
        void* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(block.data(), key.c_str(), &value, &length)) << key;
        EXPECT_EQ(length ? std::wstring(static_cast<const wchar_t*>(value)) : L"", expected) << key;
    }
}

}  // namespace
}  // namespace flktest
