// Saving and loading both controls through a container's property bag and
// through a stream: names, order, defaults left out, "DevoteTo" always,
// failures skipped one property at a time, and blinking resumed on load.
#include <gtest/gtest.h>

#include <set>

#include "TestHost.h"
#include "TestPropertyBag.h"

namespace flktest {
namespace {

namespace one = flickon::dispid::torFlickon;
namespace two = flickon::dispid::torFlickon2;

using Names = std::vector<std::wstring>;

constexpr DWORD kTimeBox = 5000;

ComPtr<TestPropertyBag> SaveToBag(HostedControl& c, ComPtr<TestPropertyBag> bag = TestPropertyBag::Create()) {
    ComPtr<IPersistPropertyBag> persist = c.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
    EXPECT_EQ(persist->Save(bag.get(), TRUE, FALSE), S_OK);
    return bag;
}

HRESULT LoadFromBag(HostedControl& c, TestPropertyBag* bag) {
    return c.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(bag, nullptr);
}

TEST(Persistence, TorFlickonWritesOnlyWhatDiffersFromDefaultsAndAlwaysDevoteTo) {
    HostedControl c(flickon::kClsidTorFlickon, false);
    ComPtr<TestPropertyBag> bag = SaveToBag(c);
    EXPECT_EQ(bag->written, Names{L"DevoteTo"});
    VARIANT devote = bag->Value(L"DevoteTo");
    EXPECT_EQ(V_VT(&devote), VT_BSTR);
    EXPECT_GT(::SysStringLen(V_BSTR(&devote)), 0u);
    ::VariantClear(&devote);

    ComPtr<IPictureDisp> standard = MakePicture(RGB(50, 50, 50));
    ComPtr<IPictureDisp> second = MakePicture(RGB(60, 60, 60));
    ASSERT_EQ(c.dispatch().Put(one::Blink, VBool(true)), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(one::StandardIcon, standard.get()), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(one::BlinkIcon2, second.get()), S_OK);
    ASSERT_EQ(c.dispatch().Put(one::Interval, VLong(1000)), S_OK);
    bag = SaveToBag(c);
    EXPECT_EQ(bag->written, (Names{L"Blink", L"StandardIcon", L"BlinkIcon2", L"Interval", L"DevoteTo"}));
    VARIANT blink = bag->Value(L"Blink");
    EXPECT_EQ(V_VT(&blink), VT_BOOL);
    EXPECT_EQ(V_BOOL(&blink), VARIANT_TRUE);
    VARIANT interval = bag->Value(L"Interval");
    EXPECT_EQ(V_VT(&interval), VT_I4);
    EXPECT_EQ(V_I4(&interval), 1000);
}

TEST(Persistence, TorFlickonRoundTripRestoresAndResumesBlinkingInUserMode) {
    ComPtr<TestPropertyBag> bag;
    ComPtr<IPictureDisp> standard = MakePicture(RGB(70, 70, 70));
    ComPtr<IPictureDisp> first = MakePicture(RGB(200, 0, 0)), second = MakePicture(RGB(0, 200, 0));
    {
        HostedControl saved(flickon::kClsidTorFlickon, false);
        ASSERT_EQ(saved.dispatch().PutRef(one::StandardIcon, standard.get()), S_OK);
        ASSERT_EQ(saved.dispatch().PutRef(one::BlinkIcon1, first.get()), S_OK);
        ASSERT_EQ(saved.dispatch().PutRef(one::BlinkIcon2, second.get()), S_OK);
        ASSERT_EQ(saved.dispatch().Put(one::Interval, VLong(40)), S_OK);
        ASSERT_EQ(saved.dispatch().Put(one::Blink, VBool(true)), S_OK);
        bag = SaveToBag(saved);
    }
    HostedControl loaded(flickon::kClsidTorFlickon, true, false);
    ASSERT_EQ(LoadFromBag(loaded, bag.get()), S_OK);
    ASSERT_EQ(loaded.events().Count(), 1u) << "a control loaded blinking starts at once";
    ComPtr<IUnknown> restoredSecond = loaded.dispatch().GetUnknown(one::BlinkIcon2);
    ComPtr<IUnknown> restoredFirst = loaded.dispatch().GetUnknown(one::BlinkIcon1);
    ASSERT_TRUE(restoredSecond && restoredFirst);
    EXPECT_TRUE(SameObject(loaded.events().pictures[0].get(), restoredSecond.get())) << "with the second phase";
    EXPECT_FALSE(SameObject(loaded.events().pictures[0].get(), restoredFirst.get()));
    EXPECT_TRUE(loaded.dispatch().GetBool(one::Blink));
    EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), 40);
    ComPtr<IUnknown> restored = loaded.dispatch().GetUnknown(one::StandardIcon);
    ASSERT_TRUE(restored);
    ComPtr<IPicture> picture = restored.As<IPicture>(IID_IPicture);
    ASSERT_TRUE(picture);
    SHORT type = 0;
    picture->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_ICON);
    EXPECT_TRUE(PumpUntil([&] { return loaded.events().Count() >= 3; }, kTimeBox));
    ASSERT_EQ(loaded.dispatch().Put(one::Blink, VBool(false)), S_OK);
    EXPECT_TRUE(SameObject(loaded.events().pictures.back().get(), restored.get()));
}

TEST(Persistence, EachPropertyIsReadOnItsOwn) {
    struct Row {
        const char* what;
        std::vector<std::pair<std::wstring, VARIANT>> entries;
        std::set<std::wstring> failing;
        bool blink;
        long interval;
    };
    auto text = [](const wchar_t* s) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = ::SysAllocString(s);
        return v;
    };
    std::vector<Row> rows;
    rows.push_back({"nothing stored", {}, {}, false, 750});
    rows.push_back({"a short Interval alone", {{L"Interval", VLong(40)}}, {}, false, 40});
    rows.push_back({"unreadable Interval", {{L"Blink", VBool(true)}, {L"Interval", VLong(1000)}}, {L"Interval"},
                    true, 750});
    rows.push_back({"unreadable Blink", {{L"Blink", VBool(true)}, {L"Interval", VLong(1000)}}, {L"Blink"}, false,
                    1000});
    rows.push_back({"Interval not a number", {{L"Interval", text(L"abc")}}, {}, false, 750});
    rows.push_back({"Interval out of range", {{L"Blink", VBool(true)}, {L"Interval", VLong(70000)}}, {}, true, 750});
    rows.push_back({"values as texts", {{L"Blink", text(L"True")}, {L"Interval", text(L"1200")}}, {}, true, 1200});
    for (Row& row : rows) {
        SCOPED_TRACE(row.what);
        ComPtr<TestPropertyBag> bag = TestPropertyBag::Create();
        for (auto& [name, value] : row.entries) {
            bag->Set(name, value);
            ::VariantClear(&value);
        }
        bag->failReads = row.failing;
        bag->failReads.insert(L"StandardIcon");
        HostedControl loaded(flickon::kClsidTorFlickon, true, false);
        ASSERT_EQ(LoadFromBag(loaded, bag.get()), S_OK);
        PumpFor(100);
        EXPECT_EQ(loaded.events().Count(), row.blink ? 1u : 0u) << "blinking resumes at once, and only then";
        EXPECT_EQ(loaded.dispatch().GetBool(one::Blink), row.blink);
        EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), row.interval);
        EXPECT_EQ(loaded.dispatch().GetUnknown(one::StandardIcon).get(), nullptr);
    }
}

TEST(Persistence, AFailedWriteIsSkippedAndTheRestAreWritten) {
    HostedControl c(flickon::kClsidTorFlickon, false);
    ASSERT_EQ(c.dispatch().Put(one::Blink, VBool(true)), S_OK);
    ASSERT_EQ(c.dispatch().Put(one::Interval, VLong(300)), S_OK);
    ComPtr<TestPropertyBag> bag = TestPropertyBag::Create();
    bag->failWrites = {L"Blink"};
    SaveToBag(c, bag);
    EXPECT_EQ(bag->refused, Names{L"Blink"});
    EXPECT_EQ(bag->written, (Names{L"Interval", L"DevoteTo"}));
}

TEST(Persistence, TorFlickon2RoundTripGivesAnEmptyCollection) {
    ComPtr<IPictureDisp> standard = MakePicture(RGB(80, 80, 80));
    ComPtr<TestPropertyBag> bag;
    {
        HostedControl saved(flickon::kClsidTorFlickon2, false);
        EXPECT_EQ(SaveToBag(saved)->written, Names{L"DevoteTo"});

        ComPtr<IDispatch> frames;
        ASSERT_EQ(::CoCreateInstance(flickon::kClsidIconFrames, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     frames.put_void()),
                  S_OK);
        ASSERT_EQ(saved.dispatch().PutRef(two::IconFrames, frames.get()), S_OK);
        EXPECT_EQ(SaveToBag(saved)->written, Names{L"DevoteTo"}) << "an empty collection is written as none";

        ASSERT_EQ(Dispatcher(frames).Call(flickon::dispid::IconFrames::AddFrame, {VObject(standard.get())}), S_OK);
        ASSERT_EQ(saved.dispatch().Put(two::Blink, VBool(true)), S_OK);
        ASSERT_EQ(saved.dispatch().PutRef(two::StandardIcon, standard.get()), S_OK);
        ASSERT_EQ(saved.dispatch().Put(two::Interval, VLong(45)), S_OK);
        bag = SaveToBag(saved);
        // The collection cannot persist itself, so the bag refuses it.
        EXPECT_EQ(bag->written, (Names{L"Blink", L"StandardIcon", L"Interval", L"DevoteTo"}));
        EXPECT_EQ(bag->refused, Names{L"IconFrames"});
    }
    HostedControl loaded(flickon::kClsidTorFlickon2, false, false);
    ASSERT_EQ(LoadFromBag(loaded, bag.get()), S_OK);
    EXPECT_TRUE(loaded.dispatch().GetBool(two::Blink));
    EXPECT_EQ(loaded.dispatch().GetLong(two::Interval), 45);
    EXPECT_TRUE(loaded.dispatch().GetUnknown(two::StandardIcon));
    ComPtr<IUnknown> frames = loaded.dispatch().GetUnknown(two::IconFrames);
    ASSERT_TRUE(frames) << "never none after a load";
    Dispatcher collection(frames.As<IDispatch>(IID_IDispatch));
    EXPECT_EQ(collection.GetLong(flickon::dispid::IconFrames::Count), 0);
}

ComPtr<IStream> SaveToStream(HostedControl& c) {
    ComPtr<IStream> stream;
    EXPECT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ComPtr<IPersistStreamInit> persist = c.As<IPersistStreamInit>(IID_IPersistStreamInit);
    ULARGE_INTEGER max{};
    EXPECT_EQ(persist->GetSizeMax(&max), S_OK);
    EXPECT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ULARGE_INTEGER end{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
    EXPECT_GE(max.QuadPart, end.QuadPart);
    return stream;
}

TEST(Persistence, StreamsRoundTripAndLeaveTheHostsDataAfterOurs) {
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "torFlickon2" : "torFlickon");
        const GUID& clsid = second ? flickon::kClsidTorFlickon2 : flickon::kClsidTorFlickon;
        const DISPID blink = second ? two::Blink : one::Blink;
        const DISPID interval = second ? two::Interval : one::Interval;
        const DISPID standardId = second ? two::StandardIcon : one::StandardIcon;
        ComPtr<IPictureDisp> standard = MakePicture(RGB(90, 90, 90));
        ComPtr<IStream> stream;
        {
            HostedControl saved(clsid, false);
            ASSERT_EQ(saved.dispatch().Put(blink, VBool(true)), S_OK);
            ASSERT_EQ(saved.dispatch().Put(interval, VLong(4321)), S_OK);
            ASSERT_EQ(saved.dispatch().PutRef(standardId, standard.get()), S_OK);
            stream = SaveToStream(saved);
        }
        const DWORD marker = 0xC0FFEE;
        ULONG done = 0;
        stream->Write(&marker, sizeof marker, &done);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

        HostedControl loaded(clsid, false, false);
        ASSERT_EQ(loaded.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.get()), S_OK);
        EXPECT_TRUE(loaded.dispatch().GetBool(blink));
        EXPECT_EQ(loaded.dispatch().GetLong(interval), 4321);
        EXPECT_TRUE(loaded.dispatch().GetUnknown(standardId));
        DWORD after = 0;
        ASSERT_EQ(stream->Read(&after, sizeof after, &done), S_OK);
        EXPECT_EQ(after, marker) << "the stream stands right after the control's data";
    }
}

TEST(Persistence, DamagedStreamsLeaveANewInstance) {
    HostedControl saved(flickon::kClsidTorFlickon, false);
    ASSERT_EQ(saved.dispatch().Put(one::Interval, VLong(999)), S_OK);
    const std::vector<BYTE> whole = StreamBytes(SaveToStream(saved).get());

    struct Row {
        const char* what;
        std::vector<BYTE> data;
    };
    std::vector<Row> rows{{"empty", {}},
                          {"foreign", {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0, 0}},
                          {"cut short", std::vector<BYTE>(whole.begin(), whole.begin() + whole.size() / 2)}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        HostedControl loaded(flickon::kClsidTorFlickon, true, false);
        EXPECT_TRUE(FAILED(loaded.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(
            StreamOf(row.data.data(), row.data.size()).get())));
        EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), 750);
        EXPECT_FALSE(loaded.dispatch().GetBool(one::Blink));
    }
}

}  // namespace
}  // namespace flktest
