// Both controls hosted as a container hosts them: properties by dispatch id,
// torFlickon's UpdateIcon sequences while real messages are pumped, design
// mode, the Interval limits, the fixed size, and hosts that misbehave.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::torFlickon;

// A running torFlickon with its three pictures and a short interval.
struct Blinker {
    explicit Blinker(long interval) {
        EXPECT_EQ(c.dispatch().PutRef(id::StandardIcon, standard.get()), S_OK);
        EXPECT_EQ(c.dispatch().PutRef(id::BlinkIcon1, first.get()), S_OK);
        EXPECT_EQ(c.dispatch().PutRef(id::BlinkIcon2, second.get()), S_OK);
        EXPECT_EQ(c.dispatch().Put(id::Interval, VLong(interval)), S_OK);
    }
    HRESULT Blink(bool on) { return c.dispatch().Put(id::Blink, VBool(on)); }
    IUnknown* S() const { return Identity(standard.get()).get(); }
    IUnknown* I1() const { return Identity(first.get()).get(); }
    IUnknown* I2() const { return Identity(second.get()).get(); }

    HostedControl c{flickon::kClsidTorFlickon, true};
    ComPtr<IPictureDisp> standard = MakePicture(RGB(0, 0, 255));
    ComPtr<IPictureDisp> first = MakePicture(RGB(255, 0, 0));
    ComPtr<IPictureDisp> second = MakePicture(RGB(0, 255, 0));
};

TEST(TorFlickon, BlinkRaisesSecondPhaseAtOnceThenAlternatesAndStopsWithStandard) {
    Blinker b(40);
    ASSERT_EQ(b.c.events().Count(), 0u) << "pictures alone never raise UpdateIcon";
    ASSERT_EQ(b.Blink(true), S_OK);
    ASSERT_EQ(b.c.events().Seen(), (std::vector<IUnknown*>{b.I2()})) << "before the assignment returned";
    EXPECT_TRUE(b.c.dispatch().GetBool(id::Blink));
    ASSERT_TRUE(b.c.WaitForEvents(5));
    EXPECT_EQ(b.c.events().Seen(5), (std::vector<IUnknown*>{b.I2(), b.I1(), b.I2(), b.I1(), b.I2()}));

    // On when on: nothing raised, the sequence goes on where it was.
    const size_t before = b.c.events().Count();
    IUnknown* next = b.c.events().pictures.back().get() == b.I2() ? b.I1() : b.I2();
    b.c.site().changed.clear();
    ASSERT_EQ(b.Blink(true), S_OK);
    EXPECT_EQ(b.c.events().Count(), before);
    EXPECT_TRUE(b.c.site().changed.empty());
    ASSERT_TRUE(b.c.WaitForEvents(before + 1));
    EXPECT_EQ(b.c.events().pictures[before].get(), next);

    // Off: exactly one StandardIcon, then silence; off when off raises nothing.
    const size_t running = b.c.events().Count();
    ASSERT_EQ(b.Blink(false), S_OK);
    ASSERT_EQ(b.c.events().Count(), running + 1);
    EXPECT_EQ(b.c.events().pictures.back().get(), b.S());
    ASSERT_EQ(b.Blink(false), S_OK);
    PumpFor(300);
    EXPECT_EQ(b.c.events().Count(), running + 1);
}

TEST(TorFlickon, IntervalChangeWhileBlinkingRestartsTheTimerAndKeepsThePhase) {
    Blinker b(40);
    ASSERT_EQ(b.Blink(true), S_OK);
    ASSERT_TRUE(b.c.WaitForEvents(2));
    const size_t count = b.c.events().Count();
    IUnknown* last = b.c.events().pictures.back().get();
    ASSERT_EQ(b.c.dispatch().Put(id::Interval, VLong(3000)), S_OK);
    EXPECT_EQ(b.c.events().Count(), count) << "a new interval raises nothing";
    PumpFor(600);
    EXPECT_EQ(b.c.events().Count(), count) << "the 40 ms timer is gone: the next tick waits the new period";
    ASSERT_TRUE(PumpUntil([&] { return b.c.events().Count() > count; }, 15000));
    EXPECT_EQ(b.c.events().pictures[count].get(), last == b.I1() ? b.I2() : b.I1());
}

TEST(TorFlickon, IntervalZeroShowsTheSecondPictureAndNeverTicks) {
    Blinker b(0);
    ASSERT_EQ(b.Blink(true), S_OK);
    PumpFor(300);
    EXPECT_EQ(b.c.events().Seen(), (std::vector<IUnknown*>{b.I2()}));
}

TEST(TorFlickon, NewPicturesAreTakenAtTheNextTickOrStop) {
    Blinker b(40);
    ASSERT_EQ(b.Blink(true), S_OK);
    ComPtr<IPictureDisp> newFirst = MakePicture(RGB(1, 2, 3)), newStandard = MakePicture(RGB(3, 2, 1));
    ASSERT_EQ(b.c.dispatch().PutRef(id::BlinkIcon1, newFirst.get()), S_OK);
    ASSERT_EQ(b.c.dispatch().PutRef(id::StandardIcon, newStandard.get()), S_OK);
    EXPECT_EQ(b.c.events().Count(), 1u);
    ASSERT_TRUE(b.c.WaitForEvents(2));
    EXPECT_TRUE(SameObject(b.c.events().pictures[1].get(), newFirst.get()));
    ASSERT_EQ(b.Blink(false), S_OK);
    EXPECT_TRUE(SameObject(b.c.events().pictures.back().get(), newStandard.get()));
}

TEST(BlinkerControls, NewInstancesHaveTheirInitialProperties) {
    const std::vector<DISPID> objects[] = {{id::StandardIcon, id::BlinkIcon1, id::BlinkIcon2},
                                           {flickon::dispid::torFlickon2::StandardIcon,
                                            flickon::dispid::torFlickon2::IconFrames}};
    for (size_t k = 0; k < std::size(kControls); ++k) {
        SCOPED_TRACE(kControls[k].name);
        HostedControl c(*kControls[k].clsid, true);
        EXPECT_FALSE(c.dispatch().GetBool(kControls[k].blink));
        EXPECT_EQ(c.dispatch().GetLong(kControls[k].interval), kControls[k].defaultInterval);
        for (DISPID object : objects[k]) {  // Nothing, as an object a host can Set from
            outside::Variant v;
            ASSERT_EQ(c.dispatch().Get(object, v.get()), S_OK);
            EXPECT_EQ(V_VT(v.get()), VT_DISPATCH) << object;
            EXPECT_EQ(V_DISPATCH(v.get()), nullptr) << object;
        }
        EXPECT_EQ(c.events().Count(), 0u);
    }
}

// An object property stores the very object it is given, by set (and for
// IconFrames by let too), notifies, and never raises UpdateIcon.
TEST(BlinkerControls, ObjectPropertiesKeepTheReferenceAndNotify) {
    namespace two = flickon::dispid::torFlickon2;
    const struct {
        const GUID* clsid;
        DISPID property;
        bool frames;  // an IconFrames collection, else a picture
        bool let;
    } rows[] = {
        {&flickon::kClsidTorFlickon, id::StandardIcon, false, false},
        {&flickon::kClsidTorFlickon, id::BlinkIcon1, false, false},
        {&flickon::kClsidTorFlickon, id::BlinkIcon2, false, false},
        {&flickon::kClsidTorFlickon2, two::StandardIcon, false, false},
        {&flickon::kClsidTorFlickon2, two::IconFrames, true, false},
        {&flickon::kClsidTorFlickon2, two::IconFrames, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.property << (row.let ? " let" : " set"));
        HostedControl c(*row.clsid, true);
        ComPtr<IDispatch> object = row.frames ? NewFrames({}) : MakePicture(RGB(9, 9, 9)).As<IDispatch>(IID_IDispatch);
        ASSERT_EQ(row.let ? c.dispatch().Put(row.property, VObject(object.get()))
                          : c.dispatch().PutRef(row.property, object.get()),
                  S_OK);
        EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(row.property).get(), object.get()));
        ASSERT_EQ(c.dispatch().PutRef(row.property, nullptr), S_OK);
        EXPECT_EQ(c.dispatch().GetUnknown(row.property).get(), nullptr);
        EXPECT_EQ(c.site().changed, (std::vector<DISPID>{row.property, row.property}));
        EXPECT_EQ(c.events().Count(), 0u);
    }
}

TEST(BlinkerControls, DesignModeStoresAndNotifiesButNeverRaisesOrTicks) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        HostedControl c(*kind.clsid, false);
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        EXPECT_TRUE(c.dispatch().GetBool(kind.blink));
        EXPECT_EQ(c.site().changed, (std::vector<DISPID>{kind.interval, kind.blink}));
        EXPECT_GT(c.site().ambientQueries, 0) << "the run mode is asked of the container";
        EXPECT_EQ(c.As<IPersistStreamInit>(IID_IPersistStreamInit)->IsDirty(), S_OK);
        PumpFor(300);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(false)), S_OK);
        EXPECT_EQ(c.events().Count(), 0u);
    }
}

TEST(BlinkerControls, IntervalLimitsAndErrorFive) {
    const std::pair<long, bool> rows[] = {{0, true},       {1, true},         {65535, true},   {65536, false},
                                          {-1, false},     {LONG_MIN, false}, {LONG_MAX, false}};
    for (const ControlKind& kind : kControls) {
        HostedControl c(*kind.clsid, true);
        long current = kind.defaultInterval;
        for (const auto& [value, accepted] : rows) {
            SCOPED_TRACE(testing::Message() << kind.name << " Interval = " << value);
            c.site().changed.clear();
            const HRESULT hr = c.dispatch().Put(kind.interval, VLong(value));
            if (accepted) {
                EXPECT_EQ(hr, S_OK);
                current = value;
                EXPECT_EQ(c.site().changed, std::vector<DISPID>{kind.interval});
            } else {
                ASSERT_EQ(hr, DISP_E_EXCEPTION);
                EXPECT_EQ(c.dispatch().LastScode(), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5));
                EXPECT_EQ(c.dispatch().LastSource(), std::wstring(kind.name, kind.name + strlen(kind.name)));
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
        SCOPED_TRACE(kind.name);
        HostedControl c(*kind.clsid, true);
        ComPtr<IOleObject> ole = c.As<IOleObject>(IID_IOleObject);
        SIZEL asked{5000, 3000}, extent{};
        ole->SetExtent(DVASPECT_CONTENT, &asked);
        ASSERT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(extent.cx, 1005);  // 570 twips in HIMETRIC
        EXPECT_EQ(extent.cy, 1005);
        DWORD status = 0;
        ASSERT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);

        c.site().window = host.get();
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &c.site(), 0, host.get(), &c.site().position), S_OK);
        ComPtr<IOleInPlaceObject> inPlace = c.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
        HWND window = nullptr;
        ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
        ASSERT_TRUE(::IsChild(host.get(), window));
        ASSERT_FALSE(c.site().positionRequests.empty()) << "the container is told the size the control keeps";
        EXPECT_EQ(c.site().positionRequests.back().right - c.site().positionRequests.back().left, face.cx);
        RECT big{5, 6, 305, 306};
        ASSERT_EQ(inPlace->SetObjectRects(&big, &big), S_OK);
        RECT r{};
        ::GetWindowRect(window, &r);
        ::MapWindowPoints(nullptr, host.get(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, 5);
        EXPECT_EQ(r.top, 6);
        EXPECT_EQ(r.right - r.left, face.cx);
        EXPECT_EQ(r.bottom - r.top, face.cy);

        // In place the timer works as before.
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        EXPECT_TRUE(c.WaitForEvents(3));
        ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        EXPECT_FALSE(::IsChild(host.get(), window));
    }
}

TEST(BlinkerControls, KeepBlinkingWhenTheContainerWindowGoesFirst) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                                     nullptr, nullptr, nullptr, nullptr));
        HostedControl c(*kind.clsid, true);
        c.site().window = host.get();
        ASSERT_EQ(c.As<IOleObject>(IID_IOleObject)
                      ->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &c.site(), 0, host.get(), nullptr),
                  S_OK);
        HWND face = nullptr;
        ASSERT_EQ(c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&face), S_OK);
        ASSERT_TRUE(::IsChild(host.get(), face));
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        host.reset();  // a careless container: its window, and the control's face with it, go first
        EXPECT_TRUE(c.WaitForEvents(c.events().Count() + 3)) << "a blinking control keeps ticking";
        HWND now = nullptr;
        EXPECT_EQ(c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&now), S_OK);
        EXPECT_TRUE(::IsWindow(now));
    }
}

TEST(BlinkerControls, HostMayReleaseTheControlInsideItsHandler) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        ComPtr<IDispatch> control = CreateObject(*kind.clsid);
        ASSERT_EQ(control.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), S_OK);
        ComPtr<EventSink> sink = EventSink::Create();
        ASSERT_EQ(Advise(control.get(), *kind.events, static_cast<IDispatch*>(sink.get())), S_OK);
        {
            Dispatcher d(control);
            ASSERT_EQ(d.Put(kind.interval, VLong(20)), S_OK);
            ASSERT_EQ(d.Put(kind.blink, VBool(true)), S_OK);
        }
        // The third picture arrives from a tick; the host drops its last reference right there.
        sink->reaction = [&](IUnknown*) {
            if (sink->Count() == 3) control.reset();
        };
        ASSERT_TRUE(PumpUntil([&] { return !control; }));
        PumpFor(200);
        EXPECT_EQ(sink->Count(), 3u) << "a released control raises nothing more";
    }
}

}  // namespace
}  // namespace flktest
