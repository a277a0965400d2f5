// torFlickon2 animating the frames of an IconFrames collection that the
// host keeps and changes, with real messages pumped.
#include <gtest/gtest.h>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::torFlickon2;
namespace frames = flickon::dispid::IconFrames;

// Controls set to animate frames A, B, C every 40 ms.
class TorFlickon2 : public ::testing::Test {
protected:
    void SetUp() override { Prepare(c, collection.get()); }
    void Prepare(HostedControl& control, IDispatch* frameCollection) {
        ASSERT_EQ(control.dispatch().PutRef(id::StandardIcon, standard.get()), S_OK);
        ASSERT_EQ(control.dispatch().PutRef(id::IconFrames, frameCollection), S_OK);
        ASSERT_EQ(control.dispatch().Put(id::Interval, VLong(40)), S_OK);
    }
    static HRESULT Blink(HostedControl& control, bool on = true) {
        return control.dispatch().Put(id::Blink, VBool(on));
    }
    static IUnknown* Id(IPictureDisp* p) { return Identity(p).get(); }
    IUnknown* F(size_t i) const { return Id(abc[i].get()); }

    ComPtr<IPictureDisp> standard = MakePicture();
    IUnknown* s = Id(standard.get());
    std::vector<ComPtr<IPictureDisp>> abc{MakePicture(), MakePicture(), MakePicture()};
    ComPtr<IDispatch> collection = NewFrames(abc);
    Dispatcher frameCalls{collection};
    HostedControl c{flickon::kClsidTorFlickon2, true};
};

// Off sends StandardIcon once; an empty or missing collection, on every tick.
TEST_F(TorFlickon2, FramesGoRoundFromTheFirstAndStandardIsSentWhenOffOrWithoutFrames) {
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_EQ(c.site().Seen(), std::vector<IUnknown*>{F(0)}) << "frame 0 before the assignment returned";
    ASSERT_TRUE(c.WaitForEvents(5));
    EXPECT_EQ(c.site().Seen(5), (std::vector<IUnknown*>{F(0), F(1), F(2), F(0), F(1)}));

    ASSERT_EQ(Blink(c, false), S_OK);
    const size_t stopped = c.site().Count();
    EXPECT_EQ(c.site().pictures.back().get(), s);
    PumpFor(300);
    EXPECT_EQ(c.site().Count(), stopped) << "silence after the stop";
    ASSERT_EQ(Blink(c), S_OK);
    ASSERT_EQ(c.site().Count(), stopped + 1);
    EXPECT_EQ(c.site().pictures.back().get(), F(0)) << "on again starts at frame 0";

    ASSERT_EQ(frameCalls.Call(frames::Clear), S_OK);
    ASSERT_TRUE(c.WaitForEvents(stopped + 2));
    EXPECT_EQ(c.site().pictures[stopped + 1].get(), s) << "cleared while animating";
    ASSERT_EQ(c.dispatch().PutRef(id::IconFrames, nullptr), S_OK);
    ASSERT_TRUE(c.WaitForEvents(c.site().Count() + 1));
    EXPECT_EQ(c.site().pictures.back().get(), s) << "no collection";
}

// Frames added or removed, by the event's handler or between ticks, decide
// where the animation wraps; a collection replaced keeps the position.
TEST_F(TorFlickon2, ChangedFramesCountForTheWrap) {
    ComPtr<IPictureDisp> extra = MakePicture();
    std::vector<ComPtr<IPictureDisp>> xyz{MakePicture(), MakePicture(), MakePicture()};
    const auto add = [&](HostedControl&) {
        EXPECT_EQ(frameCalls.Call(frames::AddFrame, {VObject(extra.get())}), S_OK);
    };
    const auto replaceByLet = [&](HostedControl& control) {
        EXPECT_EQ(control.dispatch().Put(id::IconFrames, VObject(NewFrames(xyz).get())), S_OK);
    };
    const auto leaveOnlyA = [&](HostedControl&) {
        EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(2)}), S_OK);
        EXPECT_EQ(frameCalls.Call(frames::RemoveFrame, {VLong(1)}), S_OK);
    };
    const struct {
        const char* name;
        size_t inHandlerOf;  // changed inside the event that sends this many frames; 0: between ticks
        std::function<void(HostedControl&)> change;
        std::vector<IUnknown*> next;  // what follows the change
    } rows[] = {
        {"added by the handler of C", 3, add, {Id(extra.get()), F(0)}},
        {"removed by the handler of B", 2, leaveOnlyA, {F(0), F(0)}},
        {"removed between ticks: past the end starts over", 0, leaveOnlyA, {F(0), F(0)}},
        {"replaced (let) by the handler of B", 2, replaceByLet, {Id(xyz[2].get()), Id(xyz[0].get())}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(frameCalls.Call(frames::Clear), S_OK);
        for (const auto& p : abc) ASSERT_EQ(frameCalls.Call(frames::AddFrame, {VObject(p.get())}), S_OK);
        HostedControl control(flickon::kClsidTorFlickon2, true);
        Prepare(control, collection.get());
        size_t changedAt = row.inHandlerOf;
        control.site().reaction = [&](IUnknown*) {
            if (control.site().Count() == row.inHandlerOf) row.change(control);
        };
        ASSERT_EQ(Blink(control), S_OK);
        if (!row.inHandlerOf) {
            ASSERT_TRUE(control.WaitForEvents(2));
            changedAt = control.site().Count();
            row.change(control);
        }
        ASSERT_TRUE(control.WaitForEvents(changedAt + row.next.size()));
        const std::vector<IUnknown*> seen = control.site().Seen(changedAt + row.next.size());
        for (size_t i = 0; i < changedAt; ++i) EXPECT_EQ(seen[i], F(i % 3)) << i;
        EXPECT_EQ(std::vector<IUnknown*>(seen.begin() + static_cast<std::ptrdiff_t>(changedAt), seen.end()), row.next);
    }
}

}  // namespace
}  // namespace flktest
