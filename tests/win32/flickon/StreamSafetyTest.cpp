// A control's stream is untrusted: it names classes, and the platform's
// object loader would create whatever class the bytes name. Only pictures may
// come from it; any other class is a damaged entry that yields the property's
// default, and is never created.
#include <gtest/gtest.h>

#include <cstring>
#include <span>

#include "TestHost.h"
#include "blinker/stream/ControlStream.h"

namespace flktest {
namespace {

namespace one = flickon::dispid::torFlickon;
using flickon::stream::Entry;
using flickon::stream::EntryType;

// A class of this process that counts how often anything asks for it.
constexpr CLSID kSpyClsid = {0x5e1f0c33, 0x6a2b, 0x4d8e, {0x9b, 0x11, 0x2a, 0x64, 0x7c, 0x90, 0x13, 0xd5}};

class SpyFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
        ++created;
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    int created = 0;
};

TEST(StreamSafety, ForeignClassesAreNeverCreatedAndLeaveTheirPropertyAtItsDefault) {
    SpyFactory spy;
    DWORD cookie = 0;
    ASSERT_EQ(::CoRegisterClassObject(kSpyClsid, &spy, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);

    // A real saved picture, to show that pictures still come through.
    std::vector<uint8_t> picture;
    {
        HostedControl saved(flickon::kClsidTorFlickon, false);
        ComPtr<IPictureDisp> icon = MakePicture(RGB(10, 20, 30));
        ASSERT_EQ(saved.dispatch().PutRef(one::BlinkIcon1, icon.get()), S_OK);
        ComPtr<IStream> stream;
        ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
        ASSERT_EQ(saved.As<IPersistStreamInit>(IID_IPersistStreamInit)->Save(stream.get(), TRUE), S_OK);
        const std::vector<uint8_t> bytes = StreamBytes(stream.get());
        for (const Entry& e : flickon::stream::ParseBody(std::span(bytes).subspan(flickon::stream::kHeaderBytes)))
            if (e.type == EntryType::Object) picture = e.object;
    }
    ASSERT_FALSE(picture.empty());

    std::vector<uint8_t> foreign(sizeof kSpyClsid + 8, 0);
    std::memcpy(foreign.data(), &kSpyClsid, sizeof kSpyClsid);
    const std::vector<uint8_t> bytes = flickon::stream::WriteStream(
        {Entry{u"Interval", EntryType::Long, 1234, {}, {}}, Entry{u"StandardIcon", EntryType::Object, 0, {}, foreign},
         Entry{u"BlinkIcon1", EntryType::Object, 0, {}, picture}, Entry{u"Blink", EntryType::Bool, -1, {}, {}}});

    HostedControl loaded(flickon::kClsidTorFlickon, false, false);
    EXPECT_EQ(loaded.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(StreamOf(bytes.data(), bytes.size()).get()), S_OK);
    EXPECT_EQ(spy.created, 0) << "the class named in the stream was created";
    EXPECT_FALSE(loaded.dispatch().GetUnknown(one::StandardIcon)) << "the damaged entry yields the default";
    EXPECT_TRUE(loaded.dispatch().GetUnknown(one::BlinkIcon1)) << "a picture still comes through";
    EXPECT_EQ(loaded.dispatch().GetLong(one::Interval), 1234);
    EXPECT_TRUE(loaded.dispatch().GetBool(one::Blink)) << "entries after the damaged one still count";
    ::CoRevokeClassObject(cookie);
}

}  // namespace
}  // namespace flktest
