// What the library carries. The embedded type library is what hosts bind to:
// identities, class order, member order, dispatch ids and help texts as
// published, and the objects answer names and class information the same way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

std::wstring Documentation(ITypeInfo* info, MEMBERID id, bool help) {
    BSTR text = nullptr;
    info->GetDocumentation(id, help ? nullptr : &text, help ? &text : nullptr, nullptr, nullptr);
    std::wstring out = text ? text : L"";
    ::SysFreeString(text);
    return out;
}

std::wstring GuidOfInfo(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attr))) return L"";
    const std::wstring guid = GuidText(attr->guid);
    info->ReleaseTypeAttr(attr);
    return guid;
}

// widl stores the help texts as bytes of code page 1251 (our users'), which
// the type library loader reads in the ANSI code page.
const bool kRussian = ::GetACP() == 1251;

// The interface of a parameter, through pointers and aliases.
std::wstring ParameterInterface(ITypeInfo* info, const TYPEDESC* type) {
    while (type->vt == VT_PTR) type = type->lptdesc;
    ComPtr<ITypeInfo> ref;
    TYPEATTR* attr = nullptr;
    if (type->vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(type->hreftype, ref.put())) ||
        FAILED(ref->GetTypeAttr(&attr)))
        return L"";
    const TYPEDESC alias = attr->tdescAlias;
    const bool isAlias = attr->typekind == TKIND_ALIAS;
    ref->ReleaseTypeAttr(attr);
    return isAlias ? ParameterInterface(ref.get(), &alias) : GuidOfInfo(ref.get());
}

ComPtr<ITypeLib> LoadLibraryTypeLib() {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(::LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, lib.put()), S_OK);
    return lib;
}

TEST(TypeLibrary, LibraryAndClassesInOrderWithTheirInterfaces) {
    // Its identity, version, locale and help text reach the registry, where the registration test reads them.
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    BSTR name = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"Flickon0100");
    ::SysFreeString(name);

    size_t seen = 0;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        ComPtr<ITypeInfo> info;
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
        ASSERT_LT(seen, std::size(kIdentities));
        const ClassIdentity& row = kIdentities[seen++];
        SCOPED_TRACE(row.name);
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        EXPECT_EQ(Documentation(info.get(), MEMBERID_NIL, false), row.name);
        if (row.help) {
            EXPECT_EQ(kRussian ? Documentation(info.get(), MEMBERID_NIL, true) : row.help, row.help);
        }
        TYPEATTR* type = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
        EXPECT_EQ(GuidText(type->guid), row.clsid);
        EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FCANCREATE);
        EXPECT_EQ((type->wTypeFlags & TYPEFLAG_FCONTROL) != 0, row.events != nullptr);
        std::wstring defaultInterface, defaultSource;
        for (UINT k = 0; k < type->cImplTypes; ++k) {
            INT flags = 0;
            HREFTYPE ref = 0;
            ComPtr<ITypeInfo> implemented;
            info->GetImplTypeFlags(k, &flags);
            info->GetRefTypeOfImplType(k, &ref);
            info->GetRefTypeInfo(ref, implemented.put());
            if (flags == IMPLTYPEFLAG_FDEFAULT) defaultInterface = GuidOfInfo(implemented.get());
            if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) defaultSource = GuidOfInfo(implemented.get());
        }
        info->ReleaseTypeAttr(type);
        EXPECT_EQ(defaultInterface, row.defaultInterface);
        EXPECT_EQ(defaultSource, row.events ? row.events : L"");
        if (!row.events) continue;

        // A control also describes itself, as hosts ask it at run time.
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
    EXPECT_EQ(seen, std::size(kIdentities));
}

// A member and the slots it takes, one per kind, in order.
struct Member {
    const wchar_t* name;
    MEMBERID id;
    std::vector<INVOKEKIND> kinds;
    const wchar_t* help;
};

const wchar_t kBlink[] = L"True, если иконка помигивает";
const wchar_t kStandard[] = L"Стандартная иконка, которая устанавливается, когда ничего не мигает";
const wchar_t kInterval[] = L"Интерфал помигивания иконкой. Миксимум - 65535. 0 - фактически мигать ничего не будет";
const wchar_t kUpdateIcon[] =
    L"Вызывается, когда нужно обновить иконку. Клиент делает это самостоятельно, используя SetThisIcon";
constexpr auto get = INVOKE_PROPERTYGET, let = INVOKE_PROPERTYPUT, set = INVOKE_PROPERTYPUTREF, call = INVOKE_FUNC;

const struct {
    const wchar_t* name;
    const wchar_t* iid;
    const wchar_t* clsid;  // the class whose objects answer these names (null: none)
    std::vector<Member> members;
} kInterfaces[] = {
    {L"_torFlickon", kIdentities[0].defaultInterface, kIdentities[0].clsid,
     {{L"Blink", 0x68030004, {get, let}, kBlink},
      {L"StandardIcon", 0x68030003, {get, set}, kStandard},
      {L"BlinkIcon1", 0x68030002, {get, set}, L"Первая фаза помигивания иконкой"},
      {L"BlinkIcon2", 0x68030001, {get, set}, L"Вторая фаза помигивания иконкой"},
      {L"Interval", 0x68030000, {get, let}, kInterval}}},
    {L"_torFlickon2", kIdentities[2].defaultInterface, kIdentities[2].clsid,
     {{L"Blink", 0x68030003, {get, let}, kBlink},
      {L"StandardIcon", 0x68030002, {get, set}, kStandard},
      {L"Interval", 0x68030001, {get, let}, kInterval},
      {L"IconFrames", 0x68030000, {get, set, let}, L""}}},
    {L"_IconFrames", kIdentities[1].defaultInterface, kIdentities[1].clsid,
     {{L"Clear", 0x60030003, {call}, L"Отчищает последовательность"},
      {L"Count", 0x68030000, {get}, L"Возвращает количество \"кадров\" в последовательности"},
      {L"RemoveFrame", 0x60030004, {call}, L"Удаляет \"кадр\" из последовательности"},
      {L"Item", 0, {get}, L"Возвращает \"кадр\" по индексу"},
      {L"AddFrame", 0x60030005, {call}, L"Добавляет иконку в последовательность \"кадров\""},
      {L"NewEnum", DISPID_NEWENUM, {call}, L""}}},
    {L"__torFlickon", kIdentities[0].events, nullptr, {{L"UpdateIcon", 1, {call}, kUpdateIcon}}},
    {L"__torFlickon2", kIdentities[2].events, nullptr, {{L"UpdateIcon", 1, {call}, kUpdateIcon}}},
    {L"_Fanservice", kIdentities[3].defaultInterface, nullptr, {}},
};

TEST(TypeLibrary, MembersInSlotOrderWithDispatchIdsAndHelpTextsAnsweredByName) {
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    for (const auto& row : kInterfaces) {
        SCOPED_TRACE(row.name);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(GuidOf(row.iid), info.put()), S_OK);
        EXPECT_EQ(Documentation(info.get(), MEMBERID_NIL, false), row.name);
        // A dual interface's own members are those of its vtable view.
        HREFTYPE ref = 0;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
            ComPtr<ITypeInfo> vtable;
            ASSERT_EQ(info->GetRefTypeInfo(ref, vtable.put()), S_OK);
            info = vtable;
        }
        std::vector<std::pair<const Member*, INVOKEKIND>> slots;
        for (const Member& m : row.members)
            for (INVOKEKIND kind : m.kinds) slots.emplace_back(&m, kind);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->cFuncs, slots.size());
        EXPECT_TRUE(attr->typekind == TKIND_DISPATCH || (attr->wTypeFlags & TYPEFLAG_FDUAL));
        info->ReleaseTypeAttr(attr);
        ComPtr<IDispatch> object = row.clsid ? CreateObject(GuidOf(row.clsid)) : ComPtr<IDispatch>();
        if (object) {  // hosts that bind late ask the object for its interface's description
            ComPtr<ITypeInfo> described;
            ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, described.put()), S_OK);
            EXPECT_EQ(GuidOfInfo(described.get()), row.iid);
        }
        for (UINT f = 0; f < slots.size(); ++f) {
            const Member& m = *slots[f].first;
            SCOPED_TRACE(testing::Message() << "slot " << f << " " << m.name);
            FUNCDESC* func = nullptr;
            ASSERT_EQ(info->GetFuncDesc(f, &func), S_OK);
            EXPECT_EQ(Documentation(info.get(), func->memid, false), m.name);
            EXPECT_EQ(func->memid, m.id);
            EXPECT_EQ(func->invkind, slots[f].second);
            EXPECT_EQ(kRussian ? Documentation(info.get(), func->memid, true) : m.help, m.help);
            // Hidden: For Each asks by id, never by name.
            EXPECT_EQ((func->wFuncFlags & FUNCFLAG_FHIDDEN) != 0, m.id == DISPID_NEWENUM);
            if (m.id == 1) {  // UpdateIcon (SetThisIcon As Picture)
                BSTR names[2] = {};
                UINT got = 0;
                info->GetNames(func->memid, names, 2, &got);
                ASSERT_EQ(got, 2u);
                EXPECT_STREQ(names[1], L"SetThisIcon");
                ::SysFreeString(names[0]);
                ::SysFreeString(names[1]);
                EXPECT_EQ(ParameterInterface(info.get(), &func->lprgelemdescParam[0].tdesc),
                          L"{7BF80981-BF32-101A-8BBB-00AA00300CAB}");
            }
            info->ReleaseFuncDesc(func);
            if (!object || m.id == DISPID_NEWENUM) continue;
            LPOLESTR name = const_cast<LPOLESTR>(m.name);
            DISPID byName = 0;
            EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &byName), S_OK);
            EXPECT_EQ(byName, m.id) << "the object answers the name";
        }
    }
}

// The bitmaps the library carries and its version block (the picture of the
// Fanservice page is checked where it is shown).
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
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000005u);
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
