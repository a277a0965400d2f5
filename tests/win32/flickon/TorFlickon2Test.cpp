// torFlickon2 animating the frames of an IconFrames collection that the
// host keeps and changes, with real messages pumped.
#include <gtest/gtest.h>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::torFlickon2;
namespace frames = flickon::dispid::IconFrames;

constexpr DWORD kTimeBox = 5000;

ComPtr<IDispatch> NewFrames(const std::vector<ComPtr<IPictureDisp>>& pictures) {
    CLSID clsid{};
    EXPECT_EQ(::CLSIDFromProgID(flickon::kProgIdIconFrames, &clsid), S_OK);
    ComPtr<IDispatch> collection;
    EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, collection.put_void()), S_OK);
    Dispatcher d(collection);
    for (const auto& p : pictures) EXPECT_EQ(d.Call(frames::AddFrame, {VObject(p.get())}), S_OK);
    return collection;
}

struct Scene {
    ComPtr<IPictureDisp> standard = MakePicture(RGB(0, 0, 128));
    std::vector<ComPtr<IPictureDisp>> abc{MakePicture(RGB(200, 0, 0)), MakePicture(RGB(0, 200, 0)),
                                          MakePicture(RGB(0, 0, 200))};
    IUnknown* S() const { return Identity(standard.get()).get(); }
    IUnknown* F(size_t i) const { return Identity(abc[i].get()).get(); }
};

std::vector<IUnknown*> Seen(const EventSink& sink, size_t count) {
    std::vector<IUnknown*> out;
    for (size_t i = 0; i < count && i < sink.pictures.size(); ++i) out.push_back(sink.pictures[i].get());
    return out;
}

void Prepare(HostedControl& c, const Scene& s, IDispatch* collection, long interval) {
    ASSERT_EQ(c.dispatch().PutRef(id::StandardIcon, s.standard.get()), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(id::IconFrames, collection), S_OK);
    ASSERT_EQ(c.dispatch().Put(id::Interval, VLong(interval)), S_OK);
}

TEST(TorFlickon2, NewInstanceHasItsInitialProperties) {
    HostedControl c(flickon::kClsidTorFlickon2, true);
    EXPECT_FALSE(c.dispatch().GetBool(id::Blink));
    EXPECT_EQ(c.dispatch().GetLong(id::Interval), 150);
    EXPECT_EQ(c.dispatch().GetUnknown(id::StandardIcon).get(), nullptr);
    EXPECT_EQ(c.dispatch().GetUnknown(id::IconFrames).get(), nullptr);
}

TEST(TorFlickon2, FramesABCGiveAAtOnceThenBCA) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_EQ(Seen(c.events(), 9), std::vector<IUnknown*>{s.F(0)}) << "frame 0 before the assignment returned";
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 5; }, kTimeBox));
    EXPECT_EQ(Seen(c.events(), 5), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(2), s.F(0), s.F(1)}));
}

TEST(TorFlickon2, EmptyOrMissingCollectionSendsStandardEveryTick) {
    for (bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "no collection" : "empty collection");
        Scene s;
        ComPtr<IDispatch> empty = NewFrames({});
        HostedControl c(flickon::kClsidTorFlickon2, true);
        Prepare(c, s, missing ? nullptr : empty.get(), 40);
        ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
        ASSERT_EQ(c.events().Count(), 1u);
        ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 3; }, kTimeBox));
        EXPECT_EQ(Seen(c.events(), 3), (std::vector<IUnknown*>{s.S(), s.S(), s.S()}));
    }
}

TEST(TorFlickon2, OffSendsStandardOnceAndOnStartsAgainAtFrameZero) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(false)), S_OK);
    const size_t stopped = c.events().Count();
    EXPECT_EQ(c.events().pictures.back().get(), s.S());
    PumpFor(300);
    EXPECT_EQ(c.events().Count(), stopped);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_EQ(c.events().Count(), stopped + 1);
    EXPECT_EQ(c.events().pictures.back().get(), s.F(0));
}

TEST(TorFlickon2, ReplacingTheCollectionKeepsThePosition) {
    Scene s;
    ComPtr<IDispatch> first = NewFrames(s.abc);
    std::vector<ComPtr<IPictureDisp>> xyz{MakePicture(RGB(1, 1, 1)), MakePicture(RGB(2, 2, 2)),
                                          MakePicture(RGB(3, 3, 3))};
    ComPtr<IDispatch> second = NewFrames(xyz);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, first.get(), 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    const size_t count = c.events().Count();  // the next frame is count % 3
    // Let (not set) replaces the collection just the same, without a restart.
    ASSERT_EQ(c.dispatch().Put(id::IconFrames, VObject(second.get())), S_OK);
    EXPECT_EQ(c.events().Count(), count);
    EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(id::IconFrames).get(), second.get()));
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() > count; }, kTimeBox));
    EXPECT_TRUE(SameObject(c.events().pictures[count].get(), xyz[count % 3].get()));
}

TEST(TorFlickon2, ClearWhileAnimatingSendsStandardAtTheNextTick) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_EQ(Dispatcher(collection).Call(frames::Clear), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    EXPECT_EQ(c.events().pictures[1].get(), s.S());
}

TEST(TorFlickon2, FramesAddedByTheHandlerCountForTheWrap) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    ComPtr<IPictureDisp> extra = MakePicture(RGB(7, 7, 7));
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    c.events().reaction = [&](IUnknown* picture) {
        if (Identity(picture).get() == s.F(2) && c.events().Count() == 3) {
            EXPECT_EQ(Dispatcher(collection).Call(frames::AddFrame, {VObject(extra.get())}), S_OK);
        }
    };
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 5; }, kTimeBox));
    IUnknown* added = Identity(extra.get()).get();
    EXPECT_EQ(Seen(c.events(), 5), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(2), added, s.F(0)}));
}

TEST(TorFlickon2, FramesRemovedByTheHandlerCountForTheWrap) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    Dispatcher frameCalls(collection);
    // After B has gone out the position is 2; leave only A.
    c.events().reaction = [&](IUnknown* picture) {
        if (Identity(picture).get() == s.F(1) && c.events().Count() == 2) {
            EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(2)}), S_OK);
            EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(1)}), S_OK);
        }
    };
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 4; }, kTimeBox));
    EXPECT_EQ(Seen(c.events(), 4), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(0), s.F(0)}));
}

TEST(TorFlickon2, FramesRemovedBetweenTicksStartOverAtTheFirst) {
    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c(flickon::kClsidTorFlickon2, true);
    Prepare(c, s, collection.get(), 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    // Normally the next frame is C (position 2); with only A left the
    // position lies past the end, and the animation goes on from A.
    const size_t removedAt = c.events().Count();
    Dispatcher frameCalls(collection);
    ASSERT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(2)}), S_OK);
    ASSERT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(1)}), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= removedAt + 2; }, kTimeBox));
    EXPECT_EQ(c.events().pictures[removedAt].get(), s.F(0));
    EXPECT_EQ(c.events().pictures[removedAt + 1].get(), s.F(0));
}

TEST(TorFlickon2, IconFramesSetAndLetStoreTheSameObjectAndNotify) {
    ComPtr<IDispatch> collection = NewFrames({});
    HostedControl c(flickon::kClsidTorFlickon2, true);
    ASSERT_EQ(c.dispatch().PutRef(id::IconFrames, collection.get()), S_OK);
    EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(id::IconFrames).get(), collection.get()));
    ASSERT_EQ(c.dispatch().PutRef(id::IconFrames, nullptr), S_OK);
    EXPECT_EQ(c.dispatch().GetUnknown(id::IconFrames).get(), nullptr);
    ASSERT_EQ(c.dispatch().Put(id::IconFrames, VObject(collection.get())), S_OK);
    EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(id::IconFrames).get(), collection.get()));
    EXPECT_EQ(c.site().changed, (std::vector<DISPID>{id::IconFrames, id::IconFrames, id::IconFrames}));
    EXPECT_EQ(c.events().Count(), 0u);
}

}  // namespace
}  // namespace flktest
