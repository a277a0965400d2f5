// The embedded type library is what hosts bind to: identities, class order,
// member order, dispatch ids, help texts, and the public header agrees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"

namespace flktest {
namespace {

ComPtr<ITypeLib> LoadLibraryTypeLib() {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(::LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, lib.put()), S_OK);
    return lib;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    std::wstring text = name ? name : L"";
    ::SysFreeString(name);
    return text;
}

std::wstring HelpOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR help = nullptr;
    info->GetDocumentation(id, nullptr, &help, nullptr, nullptr);
    std::wstring text = help ? help : L"";
    ::SysFreeString(help);
    return text;
}

// The function's only parameter resolved through aliases to its interface.
GUID ParameterInterface(ITypeInfo* info, const FUNCDESC* func, int index) {
    const TYPEDESC* type = &func->lprgelemdescParam[index].tdesc;
    while (type->vt == VT_PTR) type = type->lptdesc;
    if (type->vt != VT_USERDEFINED) return GUID_NULL;
    ComPtr<ITypeInfo> ref;
    if (FAILED(info->GetRefTypeInfo(type->hreftype, ref.put()))) return GUID_NULL;
    TYPEATTR* attr = nullptr;
    ref->GetTypeAttr(&attr);
    if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED) {
        ComPtr<ITypeInfo> target;
        ref->GetRefTypeInfo(attr->tdescAlias.hreftype, target.put());
        ref->ReleaseTypeAttr(attr);
        target->GetTypeAttr(&attr);
        const GUID guid = attr->guid;
        target->ReleaseTypeAttr(attr);
        return guid;
    }
    const GUID guid = attr->guid;
    ref->ReleaseTypeAttr(attr);
    return guid;
}

constexpr GUID kPictureDispatch = {0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

TEST(TypeLibrary, IdentityOfTheLibrary) {
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(::IsEqualGUID(attr->guid, flickon::kLibraryId));
    EXPECT_EQ(attr->wMajorVerNum, flickon::kLibraryMajor);
    EXPECT_EQ(attr->wMinorVerNum, flickon::kLibraryMinor);
    EXPECT_EQ(attr->lcid, flickon::kLibraryLcid);
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"Flickon0100");
    EXPECT_STREQ(help, L"Torvane - Flickon control 1.00");
    ::SysFreeString(name);
    ::SysFreeString(help);
}

TEST(TypeLibrary, ClassesInOrderWithTheirInterfaces) {
    struct Row {
        const wchar_t* name;
        const GUID* clsid;
        const GUID* defaultInterface;
        const GUID* events;  // null: none
    };
    const Row expected[] = {
        {L"torFlickon", &flickon::kClsidTorFlickon, &flickon::kIidTorFlickon, &flickon::kDiidTorFlickonEvents},
        {L"IconFrames", &flickon::kClsidIconFrames, &flickon::kIidIconFrames, nullptr},
        {L"torFlickon2", &flickon::kClsidTorFlickon2, &flickon::kIidTorFlickon2, &flickon::kDiidTorFlickon2Events},
        {L"Fanservice", &flickon::kClsidFanservice, &flickon::kIidFanservice, nullptr},
    };
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    size_t seen = 0;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        lib->GetTypeInfoType(i, &kind);
        if (kind != TKIND_COCLASS) continue;
        ASSERT_LT(seen, std::size(expected));
        const Row& row = expected[seen++];
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        EXPECT_EQ(NameOf(info.get()), row.name);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        EXPECT_TRUE(::IsEqualGUID(attr->guid, *row.clsid)) << row.name;
        EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE) << row.name;
        const bool control = row.events != nullptr;
        EXPECT_EQ((attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0, control) << row.name;
        const UINT implemented = attr->cImplTypes;
        info->ReleaseTypeAttr(attr);
        bool foundDefault = false;
        bool foundEvents = false;
        for (UINT k = 0; k < implemented; ++k) {
            INT flags = 0;
            HREFTYPE ref = 0;
            info->GetImplTypeFlags(k, &flags);
            info->GetRefTypeOfImplType(k, &ref);
            ComPtr<ITypeInfo> implementedInfo;
            info->GetRefTypeInfo(ref, implementedInfo.put());
            TYPEATTR* implAttr = nullptr;
            implementedInfo->GetTypeAttr(&implAttr);
            if (flags == IMPLTYPEFLAG_FDEFAULT) foundDefault = ::IsEqualGUID(implAttr->guid, *row.defaultInterface);
            if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) {
                foundEvents = row.events && ::IsEqualGUID(implAttr->guid, *row.events);
            }
            implementedInfo->ReleaseTypeAttr(implAttr);
        }
        EXPECT_TRUE(foundDefault) << row.name;
        EXPECT_EQ(foundEvents, control) << row.name;
    }
    EXPECT_EQ(seen, std::size(expected));
}

struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    const wchar_t* help;
};

struct InterfaceRow {
    const GUID* iid;
    const wchar_t* name;
    std::vector<Member> members;
};

const wchar_t kHelpBlink[] = L"True, если иконка помигивает";
const wchar_t kHelpStandard[] = L"Стандартная иконка, которая устанавливается, когда ничего не мигает";
const wchar_t kHelpInterval[] =
    L"Интерфал помигивания иконкой. Миксимум - 65535. 0 - фактически мигать ничего не будет";
const wchar_t kHelpUpdateIcon[] =
    L"Вызывается, когда нужно обновить иконку. Клиент делает это самостоятельно, используя SetThisIcon";

std::vector<InterfaceRow> Interfaces() {
    using namespace flickon::dispid;
    const auto get = INVOKE_PROPERTYGET;
    const auto let = INVOKE_PROPERTYPUT;
    const auto set = INVOKE_PROPERTYPUTREF;
    const auto call = INVOKE_FUNC;
    return {
        {&flickon::kIidTorFlickon, L"_torFlickon",
         {{L"Blink", torFlickon::Blink, get, kHelpBlink},
          {L"Blink", torFlickon::Blink, let, kHelpBlink},
          {L"StandardIcon", torFlickon::StandardIcon, get, kHelpStandard},
          {L"StandardIcon", torFlickon::StandardIcon, set, kHelpStandard},
          {L"BlinkIcon1", torFlickon::BlinkIcon1, get, L"Первая фаза помигивания иконкой"},
          {L"BlinkIcon1", torFlickon::BlinkIcon1, set, L"Первая фаза помигивания иконкой"},
          {L"BlinkIcon2", torFlickon::BlinkIcon2, get, L"Вторая фаза помигивания иконкой"},
          {L"BlinkIcon2", torFlickon::BlinkIcon2, set, L"Вторая фаза помигивания иконкой"},
          {L"Interval", torFlickon::Interval, get, kHelpInterval},
          {L"Interval", torFlickon::Interval, let, kHelpInterval}}},
        {&flickon::kIidTorFlickon2, L"_torFlickon2",
         {{L"Blink", torFlickon2::Blink, get, kHelpBlink},
          {L"Blink", torFlickon2::Blink, let, kHelpBlink},
          {L"StandardIcon", torFlickon2::StandardIcon, get, kHelpStandard},
          {L"StandardIcon", torFlickon2::StandardIcon, set, kHelpStandard},
          {L"Interval", torFlickon2::Interval, get, kHelpInterval},
          {L"Interval", torFlickon2::Interval, let, kHelpInterval},
          {L"IconFrames", torFlickon2::IconFrames, get, L""},
          {L"IconFrames", torFlickon2::IconFrames, set, L""},
          {L"IconFrames", torFlickon2::IconFrames, let, L""}}},
        {&flickon::kIidIconFrames, L"_IconFrames",
         {{L"Clear", IconFrames::Clear, call, L"Отчищает последовательность"},
          {L"Count", IconFrames::Count, get, L"Возвращает количество \"кадров\" в последовательности"},
          {L"RemoveFrame", IconFrames::RemoveFrame, call, L"Удаляет \"кадр\" из последовательности"},
          {L"Item", IconFrames::Item, get, L"Возвращает \"кадр\" по индексу"},
          {L"AddFrame", IconFrames::AddFrame, call, L"Добавляет иконку в последовательность \"кадров\""},
          {L"NewEnum", IconFrames::NewEnum, call, L""}}},
        {&flickon::kDiidTorFlickonEvents, L"__torFlickon", {{L"UpdateIcon", UpdateIcon, call, kHelpUpdateIcon}}},
        {&flickon::kDiidTorFlickon2Events, L"__torFlickon2", {{L"UpdateIcon", UpdateIcon, call, kHelpUpdateIcon}}},
        {&flickon::kIidFanservice, L"_Fanservice", {}},
    };
}

TEST(TypeLibrary, MembersInSlotOrderWithDispatchIdsAndHelpTexts) {
    // widl stores the help texts as bytes of code page 1251 (our users'),
    // which the type library loader reads in the ANSI code page.
    const bool russian = ::GetACP() == 1251;
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    for (const InterfaceRow& row : Interfaces()) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(*row.iid, info.put()), S_OK) << row.name;
        EXPECT_EQ(NameOf(info.get()), row.name);
        // A dual interface's own members are those of its vtable view.
        HREFTYPE ref = 0;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
            ComPtr<ITypeInfo> vtable;
            ASSERT_EQ(info->GetRefTypeInfo(ref, vtable.put()), S_OK);
            info = vtable;
        }
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        const bool dispinterface = attr->typekind == TKIND_DISPATCH;
        EXPECT_EQ(attr->cFuncs, row.members.size()) << row.name;
        if (!dispinterface) {
            EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL) << row.name;
        }
        const UINT count = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        for (UINT f = 0; f < count && f < row.members.size(); ++f) {
            const Member& m = row.members[f];
            FUNCDESC* func = nullptr;
            ASSERT_EQ(info->GetFuncDesc(f, &func), S_OK);
            EXPECT_EQ(NameOf(info.get(), func->memid), m.name) << row.name << " slot " << f;
            EXPECT_EQ(func->memid, m.id) << row.name << "." << m.name;
            EXPECT_EQ(func->invkind, m.kind) << row.name << "." << m.name;
            if (russian) {
                EXPECT_EQ(HelpOf(info.get(), func->memid), m.help) << row.name << "." << m.name;
            }
            if (std::wstring(m.name) == L"NewEnum") {
                EXPECT_TRUE(func->wFuncFlags & FUNCFLAG_FHIDDEN);
            }
            if (std::wstring(m.name) == L"UpdateIcon") {
                ASSERT_EQ(func->cParams, 1);
                BSTR names[2] = {};
                UINT got = 0;
                info->GetNames(func->memid, names, 2, &got);
                ASSERT_EQ(got, 2u);
                EXPECT_STREQ(names[1], L"SetThisIcon");
                ::SysFreeString(names[0]);
                ::SysFreeString(names[1]);
                EXPECT_TRUE(::IsEqualGUID(ParameterInterface(info.get(), func, 0), kPictureDispatch));
            }
            info->ReleaseFuncDesc(func);
        }
    }
}

TEST(TypeLibrary, ClassHelpTexts) {
    if (::GetACP() != 1251) GTEST_SKIP() << "help texts are checked under code page 1251 only";
    ComPtr<ITypeLib> lib = LoadLibraryTypeLib();
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(flickon::kClsidTorFlickon, info.put()), S_OK);
    EXPECT_EQ(HelpOf(info.get()), L"Flackon. Помогает организовать помигивание иконкой в заголовке или трее.");
    ASSERT_EQ(lib->GetTypeInfoOfGuid(flickon::kClsidIconFrames, info.put()), S_OK);
    EXPECT_EQ(HelpOf(info.get()), L"Содержит \"кадры\", которые будут использоваться для анимации");
}

TEST(TypeLibrary, ObjectsAnswerNamesWithTheHeadersDispatchIds) {
    const std::pair<const GUID*, const GUID*> classes[] = {{&flickon::kIidTorFlickon, &flickon::kClsidTorFlickon},
                                                           {&flickon::kIidTorFlickon2, &flickon::kClsidTorFlickon2},
                                                           {&flickon::kIidIconFrames, &flickon::kClsidIconFrames}};
    for (const InterfaceRow& row : Interfaces())
        for (const auto& [iid, clsid] : classes) {
            if (!::IsEqualGUID(*row.iid, *iid)) continue;
            ComPtr<IDispatch> object;
            ASSERT_EQ(::CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()), S_OK);
            for (const Member& m : row.members) {
                if (m.id == DISPID_NEWENUM) continue;  // hidden: For Each asks by id, never by name
                LPOLESTR name = const_cast<LPOLESTR>(m.name);
                DISPID id = 0;
                EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK) << m.name;
                EXPECT_EQ(id, m.id) << row.name << "." << m.name;
            }
            ComPtr<ITypeInfo> info;
            EXPECT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), S_OK);
        }
}

TEST(TypeLibrary, ControlsDescribeThemselvesThroughClassInfo) {
    for (const auto& [clsid, events] : {std::pair{&flickon::kClsidTorFlickon, &flickon::kDiidTorFlickonEvents},
                                        std::pair{&flickon::kClsidTorFlickon2, &flickon::kDiidTorFlickon2Events}}) {
        ComPtr<IProvideClassInfo2> provide;
        ASSERT_EQ(::CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IProvideClassInfo2,
                                     provide.put_void()),
                  S_OK);
        GUID source{};
        ASSERT_EQ(provide->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
        EXPECT_TRUE(::IsEqualGUID(source, *events));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(provide->GetClassInfo(info.put()), S_OK);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        EXPECT_TRUE(::IsEqualGUID(attr->guid, *clsid));
        info->ReleaseTypeAttr(attr);
    }
}

}  // namespace
}  // namespace flktest
