// IconFrames as a client sees it: 0-based frames, the default member, the
// range and overflow errors, and For Each-style enumeration.
#include <gtest/gtest.h>

#include <climits>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::IconFrames;

TEST(IconFrames, FramesAreZeroBasedInTheOrderAdded) {
    const ComPtr<IPictureDisp> a = MakePicture(), b = MakePicture(), c = MakePicture();
    Dispatcher d(NewFrames({a, b, c, a}));
    EXPECT_EQ(d.GetLong(id::Count), 4) << "frames may repeat";
    EXPECT_TRUE(SameObject(d.GetUnknown(id::Item, {VLong(0)}).get(), a.get()));
    EXPECT_TRUE(SameObject(d.GetUnknown(id::Item, {VLong(1)}).get(), b.get()));
    EXPECT_TRUE(SameObject(d.GetUnknown(id::Item, {VLong(3)}).get(), a.get()));
    // Item is the default member: a plain call on the object gives it.
    outside::Variant value;
    ASSERT_EQ(d.Call(DISPID_VALUE, {VLong(2)}, value.get(), DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    ASSERT_EQ(V_VT(value.get()), VT_DISPATCH);
    EXPECT_TRUE(SameObject(V_DISPATCH(value.get()), c.get()));

    ASSERT_EQ(d.Call(id::RemoveFrame, {VLong(0)}), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 3);
    EXPECT_TRUE(SameObject(d.GetUnknown(id::Item, {VLong(0)}).get(), b.get())) << "the second frame moved up";
    ASSERT_EQ(d.Call(id::Clear), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 0);
    ASSERT_EQ(d.Call(id::AddFrame, {VObject(nullptr)}), S_OK);
    EXPECT_EQ(d.GetLong(id::Count), 1) << "None is a frame like any other";
    EXPECT_EQ(d.GetUnknown(id::Item, {VLong(0)}).get(), nullptr);
}

TEST(IconFrames, IndicesOutsideTheFramesFailWithRangeOrOverflow) {
    const struct {
        DISPID member;
        WORD flags;
        long index;
        long error;
    } rows[] = {
        {id::Item, DISPATCH_PROPERTYGET, -1, 9},   {id::Item, DISPATCH_PROPERTYGET, 2, 9},
        {id::Item, DISPATCH_PROPERTYGET, LONG_MAX, 6}, {id::RemoveFrame, DISPATCH_METHOD, -1, 9},
        {id::RemoveFrame, DISPATCH_METHOD, 2, 9},  {id::RemoveFrame, DISPATCH_METHOD, LONG_MAX, 6},
    };
    ComPtr<IDispatch> frames = NewFrames({MakePicture(), MakePicture()});
    // Early-bound callers (VB) read the error's text only from objects that say they set it.
    EXPECT_EQ(frames.As<ISupportErrorInfo>(IID_ISupportErrorInfo)->InterfaceSupportsErrorInfo(flickon::kIidIconFrames),
              S_OK);
    Dispatcher d(frames);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "member " << std::hex << row.member << std::dec << " index " << row.index);
        outside::Variant ignored;
        ASSERT_EQ(d.Call(row.member, {VLong(row.index)}, ignored.get(), row.flags), DISP_E_EXCEPTION);
        EXPECT_EQ(d.scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, row.error));
        EXPECT_EQ(d.source, L"IconFrames");
        EXPECT_FALSE(d.description.empty());
        EXPECT_EQ(d.GetLong(id::Count), 2) << "a failed call changes nothing";
    }
}

TEST(IconFrames, EnumerationVisitsTheFramesInOrder) {
    const std::vector<ComPtr<IPictureDisp>> pictures{MakePicture(), MakePicture(), MakePicture()};
    Dispatcher d(NewFrames(pictures));
    // As For Each asks for it: DISPID_NEWENUM as method or property.
    outside::Variant result;
    ASSERT_EQ(d.Call(DISPID_NEWENUM, {}, result.get(), DISPATCH_METHOD | DISPATCH_PROPERTYGET), S_OK);
    ASSERT_TRUE(V_VT(result.get()) == VT_UNKNOWN || V_VT(result.get()) == VT_DISPATCH);
    ComPtr<IEnumVARIANT> walk;
    ASSERT_EQ(V_UNKNOWN(result.get())->QueryInterface(IID_IEnumVARIANT, walk.put_void()), S_OK);
    ASSERT_EQ(d.Call(id::AddFrame, {VObject(MakePicture().get())}), S_OK);  // not seen by the walk

    // One at a time as For Each walks; a clone goes on from there and meets the end.
    VARIANT items[4];
    for (VARIANT& v : items) ::VariantInit(&v);
    ULONG fetched = 0;
    ASSERT_EQ(walk->Next(1, items, &fetched), S_OK);
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(walk->Clone(copy.put()), S_OK);
    EXPECT_EQ(copy->Next(3, items + 1, &fetched), S_FALSE) << "the end";
    ASSERT_EQ(fetched, 2u);
    for (size_t i = 0; i < pictures.size(); ++i) {
        ASSERT_EQ(V_VT(&items[i]), VT_DISPATCH);
        EXPECT_TRUE(SameObject(V_DISPATCH(&items[i]), pictures[i].get())) << i;
    }
    for (VARIANT& v : items) ::VariantClear(&v);
    ASSERT_EQ(walk->Reset(), S_OK);
    EXPECT_EQ(walk->Skip(3), S_OK);
    EXPECT_EQ(walk->Skip(1), S_FALSE);
}

}  // namespace
}  // namespace flktest
