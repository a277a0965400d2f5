// Saving and loading both controls through a container's property bag and a
// stream: names, order, defaults left out, "DevoteTo" always, failures skipped
// one property at a time, blinking resumed on load, damaged streams.
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "TestHost.h"
#include "blinker/stream/ControlStream.h"

namespace flktest {
namespace {

namespace one = flickon::dispid::torFlickon;
namespace two = flickon::dispid::torFlickon2;
using Names = std::vector<std::wstring>;

// A bag as a container keeps one: it refuses objects that cannot persist
// themselves, and single names can be made to fail on write.
class TestPropertyBag final : public Unknown<IPropertyBag> {
public:
    Names written, refused;  // in order
    std::set<std::wstring> failWrites;
    std::map<std::wstring, outside::Variant> values;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IPropertyBag ? static_cast<IPropertyBag*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto found = values.find(name);
        if (found == values.end()) return E_FAIL;
        ::VariantInit(value);
        return ::VariantCopy(value, found->second.get());
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        ComPtr<IPersistStream> persist;
        const bool object = V_VT(value) == VT_DISPATCH || V_VT(value) == VT_UNKNOWN;
        if (failWrites.count(name) || (object && FAILED(V_UNKNOWN(value)->QueryInterface(IID_IPersistStream,
                                                                                         persist.put_void())))) {
            refused.push_back(name);
            return E_FAIL;
        }
        written.push_back(name);
        return ::VariantCopy(values[name].get(), value);
    }
};

ComPtr<TestPropertyBag> SaveToBag(HostedControl& c, std::set<std::wstring> failWrites = {}) {
    ComPtr<TestPropertyBag> bag = ComPtr<TestPropertyBag>::Attach(new TestPropertyBag());
    bag->failWrites = std::move(failWrites);
    EXPECT_EQ(c.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(bag.get(), TRUE, FALSE), S_OK);
    return bag;
}

HRESULT LoadFromBag(HostedControl& c, TestPropertyBag* bag) {
    return c.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(bag, nullptr);
}

ComPtr<IStream> SaveToStream(HostedControl& c) {
    ComPtr<IStream> stream;
    EXPECT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ComPtr<IPersistStreamInit> persist = c.As<IPersistStreamInit>(IID_IPersistStreamInit);
    ULARGE_INTEGER max{}, end{};
    EXPECT_EQ(persist->GetSizeMax(&max), S_OK);
    EXPECT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
    EXPECT_GE(max.QuadPart, end.QuadPart);
    return stream;
}

// Every property set away from its default, saved to a bag or a stream and
// loaded into a new instance, which resumes blinking at once. An empty frame
// collection is written as none (a container refuses the collection) and
// loads as an empty one.
TEST(Persistence, EveryPropertyRoundTripsThroughABagAndAStream) {
    const struct {
        const ControlKind& kind;
        std::vector<std::pair<const wchar_t*, DISPID>> pictures;  // in the order they are written
        DISPID frames;
    } rows[] = {
        {kControls[0],
         {{L"StandardIcon", one::StandardIcon}, {L"BlinkIcon1", one::BlinkIcon1}, {L"BlinkIcon2", one::BlinkIcon2}},
         DISPID_UNKNOWN},
        {kControls[1], {{L"StandardIcon", two::StandardIcon}}, two::IconFrames},
    };
    for (const auto& row : rows) {
        for (const bool viaBag : {true, false}) {
            SCOPED_TRACE(testing::Message() << row.kind.name << (viaBag ? " bag" : " stream"));
            ComPtr<TestPropertyBag> bag;
            ComPtr<IStream> stream;
            std::map<DISPID, ComPtr<IPictureDisp>> pictures;
            {
                HostedControl saved(*row.kind.clsid, false);
                EXPECT_EQ(SaveToBag(saved)->written, Names{L"DevoteTo"}) << "defaults are left out";
                if (row.frames != DISPID_UNKNOWN) {
                    ASSERT_EQ(saved.dispatch().PutRef(row.frames, NewFrames({}).get()), S_OK);
                }
                ASSERT_EQ(saved.dispatch().Put(row.kind.blink, VBool(true)), S_OK);
                ASSERT_EQ(saved.dispatch().Put(row.kind.interval, VLong(40)), S_OK);
                Names names{L"Blink"};
                for (const auto& [name, id] : row.pictures) {
                    ASSERT_EQ(saved.dispatch().PutRef(id, (pictures[id] = MakePicture()).get()), S_OK);
                    names.push_back(name);
                }
                names.insert(names.end(), {L"Interval", L"DevoteTo"});
                if (viaBag) {
                    const Names rest(names.begin() + 1, names.end());
                    EXPECT_EQ(SaveToBag(saved, {L"Blink"})->written, rest) << "the rest after a refused write";
                    bag = SaveToBag(saved);
                    EXPECT_EQ(bag->written, names);
                    EXPECT_TRUE(bag->refused.empty());
                } else {
                    stream = SaveToStream(saved);
                    const DWORD marker = 0xC0FFEE;
                    stream->Write(&marker, sizeof marker, nullptr);
                    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
                }
            }
            HostedControl loaded(*row.kind.clsid, true, false);
            ASSERT_EQ(viaBag ? LoadFromBag(loaded, bag.get())
                             : loaded.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.get()),
                      S_OK);
            EXPECT_EQ(loaded.site().Count(), 1u) << "a control loaded blinking starts at once";
            EXPECT_TRUE(loaded.dispatch().GetBool(row.kind.blink));
            EXPECT_EQ(loaded.dispatch().GetLong(row.kind.interval), 40);
            for (const auto& [id, picture] : pictures) {
                ComPtr<IUnknown> back = loaded.dispatch().GetUnknown(id);
                EXPECT_TRUE(viaBag ? SameObject(back.get(), picture.get()) : back.get() != nullptr) << id;
            }
            if (row.frames != DISPID_UNKNOWN) {
                ComPtr<IUnknown> frames = loaded.dispatch().GetUnknown(row.frames);
                ASSERT_TRUE(frames) << "never none after a load";
                Dispatcher collection(frames.As<IDispatch>(IID_IDispatch));
                EXPECT_EQ(collection.GetLong(flickon::dispid::IconFrames::Count), 0);
            }
            DWORD marker = 0;
            if (!viaBag) {
                ASSERT_EQ(stream->Read(&marker, sizeof marker, nullptr), S_OK);
                EXPECT_EQ(marker, 0xC0FFEEu) << "the stream stands right after the control's data";
            }
        }
    }
}

TEST(Persistence, EachPropertyIsReadOnItsOwn) {
    const auto text = [](const wchar_t* s) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = ::SysAllocString(s);
        return v;
    };
    struct Row {
        const char* what;
        VARIANT blinkStored, intervalStored;
        bool blink;
        long interval;
    };
    // StandardIcon is missing from every bag.
    const Row rows[] = {{"Interval not a number", VBool(true), text(L"abc"), true, 750},
                        {"Blink not a truth value", text(L"abc"), VLong(1000), false, 1000},
                        {"Interval out of range", VBool(true), VLong(70000), true, 750},
                        {"values as texts", text(L"True"), text(L"1200"), true, 1200}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ComPtr<TestPropertyBag> bag = ComPtr<TestPropertyBag>::Attach(new TestPropertyBag());
        *bag->values[L"Blink"].get() = row.blinkStored;  // the bag owns it now
        *bag->values[L"Interval"].get() = row.intervalStored;
        HostedControl loaded(flickon::kClsidTorFlickon, true, false);
        ASSERT_EQ(LoadFromBag(loaded, bag.get()), S_OK);
        PumpFor(100);
        EXPECT_EQ(loaded.site().Count(), row.blink ? 1u : 0u) << "blinking resumes at once, and only then";
        EXPECT_EQ(loaded.dispatch().GetBool(one::Blink), row.blink);
        EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), row.interval);
        EXPECT_EQ(loaded.dispatch().GetUnknown(one::StandardIcon).get(), nullptr);
    }
}

// A control's stream is untrusted: one empty or cut short fails and leaves a
// new instance; an entry of any class but a picture yields its property's
// default, and the entries after it still count.
TEST(Persistence, StreamsAreUntrusted) {
    ComPtr<IStream> saved;  // a picture in its saved form, to show that pictures still come through
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, saved.put()), S_OK);
    ASSERT_EQ(::OleSaveToStream(MakePicture().As<IPersistStream>(IID_IPersistStream).get(), saved.get()), S_OK);
    std::vector<uint8_t> foreign = StreamBytes(saved.get());
    foreign[0] ^= 0xFF;
    using flickon::stream::EntryType;
    const std::vector<uint8_t> bytes = flickon::stream::WriteStream(
        {{u"Interval", EntryType::Long, 1234, {}, {}}, {u"StandardIcon", EntryType::Object, 0, {}, foreign},
         {u"BlinkIcon1", EntryType::Object, 0, {}, StreamBytes(saved.get())}, {u"Blink", EntryType::Bool, -1, {}, {}}});
    const std::pair<const char*, std::vector<uint8_t>> rows[] = {
        {"whole", bytes}, {"empty", {}}, {"cut short", std::vector<uint8_t>(bytes.begin(), bytes.end() - 8)}};
    for (const auto& [what, data] : rows) {
        SCOPED_TRACE(what);
        const bool whole = data == bytes;
        HostedControl loaded(flickon::kClsidTorFlickon, false, false);
        auto stream = ComPtr<IStream>::Attach(::SHCreateMemStream(data.data(), static_cast<UINT>(data.size())));
        const HRESULT hr = loaded.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.get());
        EXPECT_EQ(SUCCEEDED(hr), whole);
        EXPECT_FALSE(loaded.dispatch().GetUnknown(one::StandardIcon)) << "the foreign entry yields the default";
        EXPECT_EQ(loaded.dispatch().GetUnknown(one::BlinkIcon1).get() != nullptr, whole) << "a picture comes through";
        EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), whole ? 1234 : 750);
        EXPECT_EQ(loaded.dispatch().GetBool(one::Blink), whole) << "entries after the damaged one still count";
    }
}

}  // namespace
}  // namespace flktest
