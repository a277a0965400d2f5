// IconFrames as a client sees it: 0-based frames, the default member, the
// range and overflow errors, and For Each-style enumeration.
#include <gtest/gtest.h>

#include <climits>

#include "Flickon0100_idl.h"
#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::IconFrames;

ComPtr<IDispatch> NewCollection() {
    ComPtr<IDispatch> collection;
    EXPECT_EQ(::CoCreateInstance(flickon::kClsidIconFrames, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 collection.put_void()),
              S_OK);
    return collection;
}

IUnknown* Id(const ComPtr<IPictureDisp>& p) { return Identity(p.get()).get(); }

TEST(IconFrames, FramesAreZeroBasedInTheOrderAdded) {
    Dispatcher d(NewCollection());
    const ComPtr<IPictureDisp> a = MakePicture(RGB(10, 0, 0)), b = MakePicture(RGB(20, 0, 0)),
                               c = MakePicture(RGB(30, 0, 0));
    EXPECT_EQ(d.GetLong(id::Count), 0);
    for (const auto& p : {a, b, c, a}) ASSERT_EQ(d.Call(id::AddFrame, {VObject(p.get())}), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 4) << "frames may repeat";
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(0)}).get(), Id(a));
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(1)}).get(), Id(b));
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(3)}).get(), Id(a));

    // Item is the default member: a plain call on the object gives it.
    outside::Variant value;
    ASSERT_EQ(d.Call(DISPID_VALUE, {VLong(2)}, value.get(), DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    ASSERT_EQ(V_VT(value.get()), VT_DISPATCH);
    EXPECT_TRUE(SameObject(V_DISPATCH(value.get()), c.get()));

    ASSERT_EQ(d.Call(id::RemoveFrame, {VLong(0)}), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 3);
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(0)}).get(), Id(b)) << "the second frame moved up";
    ASSERT_EQ(d.Call(id::Clear), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 0);

    // None is a frame like any other.
    ASSERT_EQ(d.Call(id::AddFrame, {VObject(nullptr)}), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 1);
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(0)}).get(), nullptr);
}

TEST(IconFrames, IndicesOutsideTheFramesFailWithRangeOrOverflow) {
    struct Row {
        DISPID member;
        WORD flags;
        long index;
        long error;
    };
    const Row rows[] = {
        {id::Item, DISPATCH_PROPERTYGET, -1, 9},       {id::Item, DISPATCH_PROPERTYGET, 2, 9},
        {id::Item, DISPATCH_PROPERTYGET, LONG_MIN, 9}, {id::Item, DISPATCH_PROPERTYGET, LONG_MAX, 6},
        {id::RemoveFrame, DISPATCH_METHOD, -1, 9},     {id::RemoveFrame, DISPATCH_METHOD, 2, 9},
        {id::RemoveFrame, DISPATCH_METHOD, LONG_MAX, 6},
    };
    Dispatcher d(NewCollection());
    for (int i = 0; i < 2; ++i) ASSERT_EQ(d.Call(id::AddFrame, {VObject(MakePicture(RGB(i, i, i)).get())}), S_OK);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "member " << std::hex << row.member << std::dec << " index " << row.index);
        outside::Variant ignored;
        ASSERT_EQ(d.Call(row.member, {VLong(row.index)}, ignored.get(), row.flags), DISP_E_EXCEPTION);
        EXPECT_EQ(d.LastScode(), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, row.error));
        EXPECT_FALSE(d.LastDescription().empty());
        EXPECT_EQ(d.GetLong(id::Count), 2) << "a failed call changes nothing";
    }
}

TEST(IconFrames, ErrorsReachVtableCallersThroughErrorInfo) {
    ComPtr<_IconFrames> frames;
    ASSERT_EQ(::CoCreateInstance(flickon::kClsidIconFrames, nullptr, CLSCTX_INPROC_SERVER, flickon::kIidIconFrames,
                                 frames.put_void()),
              S_OK);
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(frames->get_Item(0, picture.put()), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 9));
    ComPtr<ISupportErrorInfo> supports = frames.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_TRUE(supports);
    EXPECT_EQ(supports->InterfaceSupportsErrorInfo(flickon::kIidIconFrames), S_OK);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.put()), S_OK);
    BSTR source = nullptr;
    info->GetSource(&source);
    EXPECT_STREQ(source, L"IconFrames");
    ::SysFreeString(source);
}

TEST(IconFrames, EnumerationVisitsTheFramesInOrder) {
    Dispatcher d(NewCollection());
    const std::vector<ComPtr<IPictureDisp>> pictures{MakePicture(RGB(1, 0, 0)), MakePicture(RGB(2, 0, 0)),
                                                     MakePicture(RGB(3, 0, 0))};
    for (const auto& p : pictures) ASSERT_EQ(d.Call(id::AddFrame, {VObject(p.get())}), S_OK);

    // As For Each asks for it: DISPID_NEWENUM as method or property.
    outside::Variant result;
    ASSERT_EQ(d.Call(DISPID_NEWENUM, {}, result.get(), DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    ASSERT_TRUE(V_VT(result.get()) == VT_UNKNOWN || V_VT(result.get()) == VT_DISPATCH);
    ComPtr<IEnumVARIANT> walk;
    ASSERT_EQ(V_UNKNOWN(result.get())->QueryInterface(IID_IEnumVARIANT, walk.put_void()), S_OK);

    // The collection changing afterwards does not disturb a walk under way.
    ASSERT_EQ(d.Call(id::AddFrame, {VObject(MakePicture(RGB(9, 9, 9)).get())}), S_OK);

    std::vector<IUnknown*> visited;
    for (;;) {
        VARIANT item;
        ::VariantInit(&item);
        ULONG fetched = 0;
        if (walk->Next(1, &item, &fetched) != S_OK) {
            EXPECT_EQ(fetched, 0u);
            break;
        }
        ASSERT_EQ(V_VT(&item), VT_DISPATCH);
        visited.push_back(Identity(V_DISPATCH(&item)).get());
        ::VariantClear(&item);
        ASSERT_LE(visited.size(), 3u);
    }
    EXPECT_EQ(visited, (std::vector<IUnknown*>{Id(pictures[0]), Id(pictures[1]), Id(pictures[2])}));

    // Reset, Skip, Clone and a batch Next.
    ASSERT_EQ(walk->Reset(), S_OK);
    ASSERT_EQ(walk->Skip(1), S_OK);
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(walk->Clone(copy.put()), S_OK);
    VARIANT batch[5];
    for (VARIANT& v : batch) ::VariantInit(&v);
    ULONG fetched = 0;
    EXPECT_EQ(copy->Next(5, batch, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_TRUE(SameObject(V_DISPATCH(&batch[0]), pictures[1].get()));
    EXPECT_TRUE(SameObject(V_DISPATCH(&batch[1]), pictures[2].get()));
    for (VARIANT& v : batch) ::VariantClear(&v);
    EXPECT_EQ(walk->Skip(5), S_FALSE);
}

}  // namespace
}  // namespace flktest
