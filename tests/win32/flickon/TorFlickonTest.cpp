// torFlickon hosted as a container hosts it: properties by dispatch id,
// UpdateIcon sequences while real messages are pumped, design mode, the
// Interval limits and the fixed size.
#include <gtest/gtest.h>

#include <climits>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::torFlickon;

constexpr DWORD kTimeBox = 5000;  // generous: ticks are counted, never timed

struct Pictures {
    ComPtr<IPictureDisp> standard = MakePicture(RGB(0, 0, 255));
    ComPtr<IPictureDisp> first = MakePicture(RGB(255, 0, 0));
    ComPtr<IPictureDisp> second = MakePicture(RGB(0, 255, 0));
    IUnknown* S() const { return Identity(standard.get()).get(); }
    IUnknown* I1() const { return Identity(first.get()).get(); }
    IUnknown* I2() const { return Identity(second.get()).get(); }
};

// A running control with its three pictures and a short interval.
void Prepare(HostedControl& c, const Pictures& p, long interval) {
    ASSERT_EQ(c.dispatch().PutRef(id::StandardIcon, p.standard.get()), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(id::BlinkIcon1, p.first.get()), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(id::BlinkIcon2, p.second.get()), S_OK);
    ASSERT_EQ(c.dispatch().Put(id::Interval, VLong(interval)), S_OK);
}

std::vector<IUnknown*> Seen(const EventSink& sink) {
    std::vector<IUnknown*> out;
    for (const auto& p : sink.pictures) out.push_back(p.get());
    return out;
}

TEST(TorFlickon, NewInstanceHasItsInitialProperties) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    EXPECT_FALSE(c.dispatch().GetBool(id::Blink));
    EXPECT_EQ(c.dispatch().GetLong(id::Interval), 750);
    for (DISPID picture : {id::StandardIcon, id::BlinkIcon1, id::BlinkIcon2}) {
        outside::Variant v;
        ASSERT_EQ(c.dispatch().Get(picture, v.get()), S_OK);
        EXPECT_EQ(V_VT(v.get()), VT_DISPATCH);
        EXPECT_EQ(V_DISPATCH(v.get()), nullptr);
    }
    EXPECT_EQ(c.events().Count(), 0u);
}

TEST(TorFlickon, PicturePropertiesKeepTheReferenceAndNotify) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    for (DISPID picture : {id::StandardIcon, id::BlinkIcon1, id::BlinkIcon2}) {
        ComPtr<IPictureDisp> p = MakePicture(RGB(9, 9, 9));
        c.site().changed.clear();
        ASSERT_EQ(c.dispatch().PutRef(picture, p.get()), S_OK);
        EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(picture).get(), p.get())) << std::hex << picture;
        EXPECT_EQ(c.site().changed, std::vector<DISPID>{picture});
        ASSERT_EQ(c.dispatch().PutRef(picture, nullptr), S_OK);
        EXPECT_EQ(c.dispatch().GetUnknown(picture).get(), nullptr);
    }
    EXPECT_EQ(c.events().Count(), 0u) << "pictures alone never raise UpdateIcon";
}

TEST(TorFlickon, BlinkRaisesSecondPhaseAtOnceThenAlternatesAndStopsWithStandard) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    Pictures p;
    Prepare(c, p, 40);
    ASSERT_EQ(c.events().Count(), 0u);

    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_EQ(Seen(c.events()), (std::vector<IUnknown*>{p.I2()})) << "before the assignment returned";
    EXPECT_TRUE(c.dispatch().GetBool(id::Blink));

    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 5; }, kTimeBox));
    std::vector<IUnknown*> firstFive = Seen(c.events());
    firstFive.resize(5);
    EXPECT_EQ(firstFive, (std::vector<IUnknown*>{p.I2(), p.I1(), p.I2(), p.I1(), p.I2()}));

    // On when on: nothing raised, the sequence goes on where it was.
    const size_t before = c.events().Count();
    const bool lastWasSecond = c.events().pictures.back().get() == p.I2();
    c.site().changed.clear();
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    EXPECT_EQ(c.events().Count(), before);
    EXPECT_TRUE(c.site().changed.empty());
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() > before; }, kTimeBox));
    EXPECT_EQ(c.events().pictures[before].get(), lastWasSecond ? p.I1() : p.I2());

    // Off: exactly one StandardIcon, then silence.
    const size_t running = c.events().Count();
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(false)), S_OK);
    ASSERT_EQ(c.events().Count(), running + 1);
    EXPECT_EQ(c.events().pictures.back().get(), p.S());
    PumpFor(300);
    EXPECT_EQ(c.events().Count(), running + 1) << "no tick after Blink went off";
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(false)), S_OK);
    EXPECT_EQ(c.events().Count(), running + 1) << "off when off raises nothing";
}

TEST(TorFlickon, IntervalChangeWhileBlinkingRestartsTheTimerAndKeepsThePhase) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    Pictures p;
    Prepare(c, p, 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    const size_t count = c.events().Count();
    IUnknown* last = c.events().pictures.back().get();
    ASSERT_EQ(c.dispatch().Put(id::Interval, VLong(3000)), S_OK);
    EXPECT_EQ(c.events().Count(), count) << "a new interval raises nothing";
    EXPECT_EQ(c.dispatch().GetLong(id::Interval), 3000);
    PumpFor(600);
    EXPECT_EQ(c.events().Count(), count) << "the 40 ms timer is gone: the next tick waits the new period";
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() > count; }, 3 * kTimeBox));
    EXPECT_EQ(c.events().pictures[count].get(), last == p.I1() ? p.I2() : p.I1());
}

TEST(TorFlickon, IntervalZeroShowsTheFirstPictureAndNeverTicks) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    Pictures p;
    Prepare(c, p, 0);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    EXPECT_EQ(Seen(c.events()), (std::vector<IUnknown*>{p.I2()}));
    PumpFor(300);
    EXPECT_EQ(c.events().Count(), 1u);
}

TEST(TorFlickon, NewPicturesAreTakenAtTheNextTickOrStop) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    Pictures p;
    Prepare(c, p, 40);
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(true)), S_OK);
    ComPtr<IPictureDisp> newFirst = MakePicture(RGB(1, 2, 3));
    ComPtr<IPictureDisp> newStandard = MakePicture(RGB(3, 2, 1));
    ASSERT_EQ(c.dispatch().PutRef(id::BlinkIcon1, newFirst.get()), S_OK);
    ASSERT_EQ(c.dispatch().PutRef(id::StandardIcon, newStandard.get()), S_OK);
    EXPECT_EQ(c.events().Count(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return c.events().Count() >= 2; }, kTimeBox));
    EXPECT_TRUE(SameObject(c.events().pictures[1].get(), newFirst.get()));
    ASSERT_EQ(c.dispatch().Put(id::Blink, VBool(false)), S_OK);
    EXPECT_TRUE(SameObject(c.events().pictures.back().get(), newStandard.get()));
}

// Both controls share the design-mode rules and the Interval limits.
struct ControlKind {
    const GUID* clsid;
    DISPID blink;
    DISPID interval;
    long defaultInterval;
    const wchar_t* source;
};

const ControlKind kControls[] = {
    {&flickon::kClsidTorFlickon, id::Blink, id::Interval, 750, L"torFlickon"},
    {&flickon::kClsidTorFlickon2, flickon::dispid::torFlickon2::Blink, flickon::dispid::torFlickon2::Interval, 150,
     L"torFlickon2"},
};

TEST(BlinkerControls, DesignModeStoresAndNotifiesButNeverRaisesOrTicks) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(testing::Message() << kind.source);
        HostedControl c(*kind.clsid, false);
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        EXPECT_TRUE(c.dispatch().GetBool(kind.blink));
        EXPECT_EQ(c.site().changed, (std::vector<DISPID>{kind.interval, kind.blink}));
        EXPECT_GT(c.site().ambientQueries, 0) << "the run mode is asked of the container";
        PumpFor(300);
        EXPECT_EQ(c.events().Count(), 0u);
        ComPtr<IPersistStreamInit> persist = c.As<IPersistStreamInit>(IID_IPersistStreamInit);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(false)), S_OK);
        EXPECT_EQ(c.events().Count(), 0u) << "switching off in design mode sends nothing";
    }
}

TEST(BlinkerControls, IntervalLimitsAndErrorFive) {
    struct Row {
        long value;
        bool accepted;
    };
    const Row rows[] = {{0, true}, {1, true}, {65535, true}, {65536, false}, {-1, false}, {LONG_MIN, false},
                        {LONG_MAX, false}};
    for (const ControlKind& kind : kControls) {
        HostedControl c(*kind.clsid, true);
        long current = kind.defaultInterval;
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << kind.source << " Interval = " << row.value);
            c.site().changed.clear();
            const HRESULT hr = c.dispatch().Put(kind.interval, VLong(row.value));
            if (row.accepted) {
                EXPECT_EQ(hr, S_OK);
                current = row.value;
                EXPECT_EQ(c.site().changed, std::vector<DISPID>{kind.interval});
            } else {
                ASSERT_EQ(hr, DISP_E_EXCEPTION);
                EXPECT_EQ(c.dispatch().LastScode(), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5));
                EXPECT_EQ(c.dispatch().LastSource(), kind.source);
                EXPECT_FALSE(c.dispatch().LastDescription().empty());
                EXPECT_TRUE(c.site().changed.empty());
            }
            EXPECT_EQ(c.dispatch().GetLong(kind.interval), current);
        }
        // The same value again is stored and notified again.
        c.site().changed.clear();
        EXPECT_EQ(c.dispatch().Put(kind.interval, VLong(current)), S_OK);
        EXPECT_EQ(c.site().changed, std::vector<DISPID>{kind.interval});
    }
}

TEST(BlinkerControls, KeepTheirFixedSizeWhateverTheContainerAsks) {
    HDC screen = ::GetDC(nullptr);
    const SIZE face{::MulDiv(570, ::GetDeviceCaps(screen, LOGPIXELSX), 1440),
                    ::MulDiv(570, ::GetDeviceCaps(screen, LOGPIXELSY), 1440)};
    ::ReleaseDC(nullptr, screen);
    outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                                 400, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(host);
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(testing::Message() << kind.source);
        HostedControl c(*kind.clsid, true);
        ComPtr<IOleObject> ole = c.As<IOleObject>(IID_IOleObject);
        SIZEL extent{};
        ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(extent.cx, 1005);  // 570 twips in HIMETRIC
        EXPECT_EQ(extent.cy, 1005);
        SIZEL asked{5000, 3000};
        ole->SetExtent(DVASPECT_CONTENT, &asked);
        ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(extent.cx, 1005);
        EXPECT_EQ(extent.cy, 1005);
        DWORD status = 0;
        ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);

        c.site().window = host.get();
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &c.site(), 0, host.get(), &c.site().position), S_OK);
        ComPtr<IOleInPlaceObject> inPlace = c.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
        HWND window = nullptr;
        ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
        EXPECT_TRUE(::IsChild(host.get(), window));
        RECT r{};
        ::GetWindowRect(window, &r);
        EXPECT_EQ(r.right - r.left, face.cx);
        EXPECT_EQ(r.bottom - r.top, face.cy);
        ASSERT_FALSE(c.site().positionRequests.empty()) << "the container is told the size the control keeps";
        EXPECT_EQ(c.site().positionRequests.back().right - c.site().positionRequests.back().left, face.cx);

        RECT big{5, 6, 305, 306};
        ASSERT_EQ(inPlace->SetObjectRects(&big, &big), S_OK);
        ::GetWindowRect(window, &r);
        POINT topLeft{r.left, r.top};
        ::ScreenToClient(host.get(), &topLeft);
        EXPECT_EQ(topLeft.x, 5);
        EXPECT_EQ(topLeft.y, 6);
        EXPECT_EQ(r.right - r.left, face.cx);

        // In place the timer works as before.
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return c.events().Count() >= 3; }, kTimeBox));

        ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        EXPECT_FALSE(::IsChild(host.get(), window));
    }
}

TEST(BlinkerControls, KeepBlinkingWhenTheContainerWindowGoesFirst) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(testing::Message() << kind.source);
        outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                                     nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(host);
        HostedControl c(*kind.clsid, true);
        c.site().window = host.get();
        ComPtr<IOleObject> ole = c.As<IOleObject>(IID_IOleObject);
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &c.site(), 0, host.get(), nullptr), S_OK);
        HWND child = nullptr;
        c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&child);
        ASSERT_TRUE(::IsChild(host.get(), child));
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        host.reset();  // a careless container: its window, and the control's face with it, go first
        const size_t before = c.events().Count();
        EXPECT_TRUE(PumpUntil([&] { return c.events().Count() >= before + 3; }, kTimeBox))
            << "a blinking control keeps ticking";
        EXPECT_TRUE(c.dispatch().GetBool(kind.blink));
        HWND now = nullptr;
        EXPECT_EQ(c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&now), S_OK);
        EXPECT_TRUE(::IsWindow(now));
    }
}

TEST(BlinkerControls, HostMayReleaseTheControlInsideItsHandler) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(testing::Message() << kind.source);
        ComPtr<IDispatch> control;
        ASSERT_EQ(::CoCreateInstance(*kind.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.put_void()),
                  S_OK);
        ComPtr<IPersistStreamInit>(control.As<IPersistStreamInit>(IID_IPersistStreamInit))->InitNew();
        ComPtr<EventSink> sink = EventSink::Create();
        {
            ComPtr<IConnectionPointContainer> points =
                control.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
            ComPtr<IConnectionPoint> point;
            ASSERT_EQ(points->FindConnectionPoint(kind.clsid == &flickon::kClsidTorFlickon
                                                      ? flickon::kDiidTorFlickonEvents
                                                      : flickon::kDiidTorFlickon2Events,
                                                  point.put()),
                      S_OK);
            DWORD cookie = 0;
            ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.get()), &cookie), S_OK);
        }
        Dispatcher d(control);
        ASSERT_EQ(d.Put(kind.interval, VLong(20)), S_OK);
        ASSERT_EQ(d.Put(kind.blink, VBool(true)), S_OK);
        d = Dispatcher();
        // The third picture arrives from a tick; the host drops its last
        // reference right there.
        sink->reaction = [&](IUnknown*) {
            if (sink->Count() == 3) control.reset();
        };
        ASSERT_TRUE(PumpUntil([&] { return !control; }, kTimeBox));
        PumpFor(200);
        EXPECT_EQ(sink->Count(), 3u) << "a released control raises nothing more";
    }
}

}  // namespace
}  // namespace flktest
