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

HRESULT Blink(HostedControl& c) { return c.dispatch().Put(id::Blink, VBool(true)); }

// Pumps until count events have gone out; false when they did not in time.
bool WaitFor(HostedControl& c, size_t count) {
    return PumpUntil([&] { return c.events().Count() >= count; }, kTimeBox);
}

// A control set to animate frames A, B, C every 40 ms.
class TorFlickon2 : public ::testing::Test {
protected:
    void SetUp() override { Prepare(c, s, collection.get(), 40); }

    Scene s;
    ComPtr<IDispatch> collection = NewFrames(s.abc);
    HostedControl c{flickon::kClsidTorFlickon2, true};
};

TEST_F(TorFlickon2, NewInstanceHasItsInitialProperties) {
    HostedControl fresh(flickon::kClsidTorFlickon2, true);
    EXPECT_FALSE(fresh.dispatch().GetBool(id::Blink));
    EXPECT_EQ(fresh.dispatch().GetLong(id::Interval), 150);
    EXPECT_EQ(fresh.dispatch().GetUnknown(id::StandardIcon).get(), nullptr);
    EXPECT_EQ(fresh.dispatch().GetUnknown(id::IconFrames).get(), nullptr);
}

TEST_F(TorFlickon2, FramesABCGiveAAtOnceThenBCA) {
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_EQ(Seen(c.events(), 9), std::vector<IUnknown*>{s.F(0)}) << "frame 0 before the assignment returned";
    ASSERT_TRUE(WaitFor(c, 5));
    EXPECT_EQ(Seen(c.events(), 5), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(2), s.F(0), s.F(1)}));
}

TEST_F(TorFlickon2, EmptyOrMissingCollectionSendsStandardEveryTick) {
    for (bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "no collection" : "empty collection");
        Scene scene;
        ComPtr<IDispatch> empty = NewFrames({});
        HostedControl control(flickon::kClsidTorFlickon2, true);
        Prepare(control, scene, missing ? nullptr : empty.get(), 40);
        ASSERT_EQ(Blink(control), S_OK);
        ASSERT_EQ(control.events().Count(), 1u);
        ASSERT_TRUE(WaitFor(control, 3));
        EXPECT_EQ(Seen(control.events(), 3), (std::vector<IUnknown*>{scene.S(), scene.S(), scene.S()}));
    }
}

TEST_F(TorFlickon2, OffSendsStandardOnceAndOnStartsAgainAtFrameZero) {
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_TRUE(WaitFor(c, 2));
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(false)), S_OK);
    const size_t stopped = c.events().Count();
    EXPECT_EQ(c.events().pictures.back().get(), s.S());
    PumpFor(300);
    EXPECT_EQ(c.events().Count(), stopped);
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_EQ(c.events().Count(), stopped + 1);
    EXPECT_EQ(c.events().pictures.back().get(), s.F(0));
}

TEST_F(TorFlickon2, ReplacingTheCollectionKeepsThePosition) {
    std::vector<ComPtr<IPictureDisp>> xyz{MakePicture(RGB(1, 1, 1)), MakePicture(RGB(2, 2, 2)),
                                          MakePicture(RGB(3, 3, 3))};
    ComPtr<IDispatch> second = NewFrames(xyz);
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_TRUE(WaitFor(c, 2));
    const size_t count = c.events().Count();  // the next frame is count % 3
    // Let (not set) replaces the collection just the same, without a restart.
    ASSERT_EQ(c.dispatch().Put(id::IconFrames, VObject(second.get())), S_OK);
    EXPECT_EQ(c.events().Count(), count);
    EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(id::IconFrames).get(), second.get()));
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() > count; }, kTimeBox));
    EXPECT_TRUE(SameObject(c.events().pictures[count].get(), xyz[count % 3].get()));
}

TEST_F(TorFlickon2, ClearWhileAnimatingSendsStandardAtTheNextTick) {
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_EQ(Dispatcher(collection).Call(frames::Clear), S_OK);
    ASSERT_TRUE(WaitFor(c, 2));
    EXPECT_EQ(c.events().pictures[1].get(), s.S());
}

TEST_F(TorFlickon2, FramesAddedByTheHandlerCountForTheWrap) {
    ComPtr<IPictureDisp> extra = MakePicture(RGB(7, 7, 7));
    c.events().reaction = [&](IUnknown* picture) {
        if (Identity(picture).get() == s.F(2) && c.events().Count() == 3) {
            EXPECT_EQ(Dispatcher(collection).Call(frames::AddFrame, {VObject(extra.get())}), S_OK);
        }
    };
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_TRUE(WaitFor(c, 5));
    IUnknown* added = Identity(extra.get()).get();
    EXPECT_EQ(Seen(c.events(), 5), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(2), added, s.F(0)}));
}

TEST_F(TorFlickon2, FramesRemovedByTheHandlerCountForTheWrap) {
    Dispatcher frameCalls(collection);
    // After B has gone out the position is 2; leave only A.
    c.events().reaction = [&](IUnknown* picture) {
        if (Identity(picture).get() == s.F(1) && c.events().Count() == 2) {
            EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(2)}), S_OK);
            EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(1)}), S_OK);
        }
    };
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_TRUE(WaitFor(c, 4));
    EXPECT_EQ(Seen(c.events(), 4), (std::vector<IUnknown*>{s.F(0), s.F(1), s.F(0), s.F(0)}));
}

TEST_F(TorFlickon2, FramesRemovedBetweenTicksStartOverAtTheFirst) {
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_TRUE(WaitFor(c, 2));
    // Normally the next frame is C (position 2); with only A left the
    // position lies past the end, and the animation goes on from A.
    const size_t removedAt = c.events().Count();
    Dispatcher frameCalls(collection);
    ASSERT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(2)}), S_OK);
    ASSERT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(1)}), S_OK);
    ASSERT_TRUE(WaitFor(c, removedAt + 2));
    EXPECT_EQ(c.events().pictures[removedAt].get(), s.F(0));
    EXPECT_EQ(c.events().pictures[removedAt + 1].get(), s.F(0));
}

TEST_F(TorFlickon2, IconFramesSetAndLetStoreTheSameObjectAndNotify) {
    ComPtr<IDispatch> empty = NewFrames({});
    HostedControl fresh(flickon::kClsidTorFlickon2, true);
    ASSERT_EQ(fresh.dispatch().PutRef(id::IconFrames, empty.get()), S_OK);
    EXPECT_TRUE(SameObject(fresh.dispatch().GetUnknown(id::IconFrames).get(), empty.get()));
    ASSERT_EQ(fresh.dispatch().PutRef(id::IconFrames, nullptr), S_OK);
    EXPECT_EQ(fresh.dispatch().GetUnknown(id::IconFrames).get(), nullptr);
    ASSERT_EQ(fresh.dispatch().Put(id::IconFrames, VObject(empty.get())), S_OK);
    EXPECT_TRUE(SameObject(fresh.dispatch().GetUnknown(id::IconFrames).get(), empty.get()));
    EXPECT_EQ(fresh.site().changed, (std::vector<DISPID>{id::IconFrames, id::IconFrames, id::IconFrames}));
    EXPECT_EQ(fresh.events().Count(), 0u);
}

}  // namespace
}  // namespace flktest
