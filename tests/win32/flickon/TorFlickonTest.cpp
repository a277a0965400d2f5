// Both controls hosted as a container hosts them, with real messages pumped:
// torFlickon's UpdateIcon sequences, the properties, design mode, the
// Interval limits, the fixed size, hosts that misbehave, and the debug lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "TestHost.h"

namespace flktest {
namespace {

namespace id = flickon::dispid::torFlickon;

TEST(TorFlickon, BlinkSendsTheSecondPictureAtOnceThenAlternatesOnTheIntervalAndStopsWithStandard) {
    HostedControl c(flickon::kClsidTorFlickon, true);
    Dispatcher& d = c.dispatch();
    TestSite& events = c.site();
    ComPtr<IPictureDisp> standard = MakePicture(), first = MakePicture(), second = MakePicture();
    IUnknown *i1 = Identity(first.get()).get(), *i2 = Identity(second.get()).get();
    const auto last = [&] { return events.pictures.back().get(); };
    ASSERT_EQ(d.PutRef(id::StandardIcon, standard.get()), S_OK);
    ASSERT_EQ(d.PutRef(id::BlinkIcon1, first.get()), S_OK);
    ASSERT_EQ(d.PutRef(id::BlinkIcon2, second.get()), S_OK);
    ASSERT_EQ(d.Put(id::Interval, VLong(0)), S_OK);
    ASSERT_EQ(d.Put(id::Blink, VBool(true)), S_OK);
    ASSERT_EQ(events.Seen(), (std::vector<IUnknown*>{i2})) << "before the assignment returned";
    PumpFor(300);
    EXPECT_EQ(events.Count(), 1u) << "Interval 0 never ticks";
    ASSERT_EQ(d.Put(id::Interval, VLong(40)), S_OK);
    ASSERT_TRUE(c.WaitForEvents(5)) << "a new Interval while blinking starts the timer";
    EXPECT_EQ(events.Seen(5), (std::vector<IUnknown*>{i2, i1, i2, i1, i2}));

    // On when on raises nothing and the sequence goes on where it was.
    size_t count = events.Count();
    const bool firstNext = last() == i2;
    events.changed.clear();
    ASSERT_EQ(d.Put(id::Blink, VBool(true)), S_OK);
    EXPECT_EQ(events.Count(), count) << "on when on";
    EXPECT_TRUE(events.changed.empty()) << "on when on";
    ASSERT_TRUE(c.WaitForEvents(count + 1));
    EXPECT_EQ(events.pictures[count].get(), firstNext ? i1 : i2) << "on when on";

    // New pictures count from the next tick, or the stop.
    ComPtr<IPictureDisp> newFirst = MakePicture(), newStandard = MakePicture();
    ASSERT_EQ(d.PutRef(id::BlinkIcon1, newFirst.get()), S_OK);
    ASSERT_EQ(d.PutRef(id::StandardIcon, newStandard.get()), S_OK);
    count = events.Count();
    const size_t firstAt = count + (last() == i2 ? 0 : 1);
    ASSERT_TRUE(c.WaitForEvents(count + 2));
    EXPECT_TRUE(SameObject(events.pictures[firstAt].get(), newFirst.get()));

    // Off: exactly one StandardIcon, then silence; off when off raises nothing.
    count = events.Count();
    ASSERT_EQ(d.Put(id::Blink, VBool(false)), S_OK);
    ASSERT_EQ(events.Count(), count + 1);
    EXPECT_TRUE(SameObject(last(), newStandard.get()));
    ASSERT_EQ(d.Put(id::Blink, VBool(false)), S_OK);
    PumpFor(300);
    EXPECT_EQ(events.Count(), count + 1) << "off when off, or a tick after the stop";
}

// An object property starts as Nothing, stores the very object it is given by
// set (IconFrames by let too), notifies, and never raises UpdateIcon.
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
        EXPECT_EQ(c.dispatch().GetUnknown(row.property).get(), nullptr) << "a new instance";
        ComPtr<IDispatch> object = row.frames ? NewFrames({}) : MakePicture().As<IDispatch>(IID_IDispatch);
        ASSERT_EQ(row.let ? c.dispatch().Put(row.property, VObject(object.get()))
                          : c.dispatch().PutRef(row.property, object.get()),
                  S_OK);
        EXPECT_TRUE(SameObject(c.dispatch().GetUnknown(row.property).get(), object.get()));
        ASSERT_EQ(c.dispatch().PutRef(row.property, nullptr), S_OK);
        EXPECT_EQ(c.dispatch().GetUnknown(row.property).get(), nullptr);
        EXPECT_EQ(c.site().changed, (std::vector<DISPID>{row.property, row.property}));
        EXPECT_EQ(c.site().Count(), 0u);
    }
}

// In design mode: the Interval limits, then Blink stored and notified but never raised or ticking.
TEST(BlinkerControls, IntervalLimitsAndErrorFiveAndDesignModeThatNeverBlinks) {
    const std::pair<long, bool> rows[] = {{0, true}, {65535, true}, {65536, false}, {-1, false}, {30, true}, {30, true}};
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        HostedControl c(*kind.clsid, false);
        EXPECT_FALSE(c.dispatch().GetBool(kind.blink)) << "new";
        long current = kind.defaultInterval;
        EXPECT_EQ(c.dispatch().GetLong(kind.interval), current) << "new";
        for (const auto& [value, accepted] : rows) {
            SCOPED_TRACE(testing::Message() << "Interval = " << value);
            c.site().changed.clear();
            const HRESULT hr = c.dispatch().Put(kind.interval, VLong(value));
            if (accepted) {
                EXPECT_EQ(hr, S_OK);
                current = value;
                EXPECT_EQ(c.site().changed, std::vector<DISPID>{kind.interval}) << "also the same value again";
            } else {
                ASSERT_EQ(hr, DISP_E_EXCEPTION);
                EXPECT_EQ(c.dispatch().scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5));
                EXPECT_EQ(c.dispatch().source, std::wstring(kind.name, kind.name + strlen(kind.name)));
                EXPECT_FALSE(c.dispatch().description.empty());
                EXPECT_TRUE(c.site().changed.empty());
            }
            EXPECT_EQ(c.dispatch().GetLong(kind.interval), current);
        }
        c.site().changed.clear();
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        EXPECT_TRUE(c.dispatch().GetBool(kind.blink));
        EXPECT_EQ(c.site().changed, std::vector<DISPID>{kind.blink});
        EXPECT_EQ(c.As<IPersistStreamInit>(IID_IPersistStreamInit)->IsDirty(), S_OK);
        PumpFor(300);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(false)), S_OK);
        EXPECT_EQ(c.site().Count(), 0u) << "design mode";
    }
}

// The fixed size whatever the container asks, in place; and a careless
// container whose window (with the control's face) goes first.
TEST(BlinkerControls, KeepTheirSizeInPlaceAndBlinkOnWhenTheContainerWindowGoes) {
    HDC screen = ::GetDC(nullptr);
    const SIZE face{::MulDiv(570, ::GetDeviceCaps(screen, LOGPIXELSX), 1440),
                    ::MulDiv(570, ::GetDeviceCaps(screen, LOGPIXELSY), 1440)};
    ::ReleaseDC(nullptr, screen);
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        outside::UniqueWindow host(::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                                     400, 400, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(host);
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
        RECT big{5, 6, 305, 306}, r{};
        ASSERT_EQ(inPlace->SetObjectRects(&big, &big), S_OK);
        ::GetWindowRect(window, &r);
        ::MapWindowPoints(nullptr, host.get(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top), std::tuple(5L, 6L, face.cx, face.cy))
            << "moved, and its size kept";
        ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        EXPECT_FALSE(::IsChild(host.get(), window));

        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &c.site(), 0, host.get(), nullptr), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.interval, VLong(30)), S_OK);
        ASSERT_EQ(c.dispatch().Put(kind.blink, VBool(true)), S_OK);
        host.reset();
        EXPECT_TRUE(c.WaitForEvents(c.site().Count() + 3)) << "a blinking control keeps ticking";
        EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
        EXPECT_TRUE(::IsWindow(window));
    }
}

TEST(BlinkerControls, HostMayReleaseTheControlInsideItsHandler) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        ComPtr<IDispatch> control = CreateObject(*kind.clsid);
        ASSERT_EQ(control.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), S_OK);
        ComPtr<TestSite> sink = ComPtr<TestSite>::Attach(new TestSite());
        DWORD cookie = 0;
        ASSERT_EQ(Connect(control.get(), *kind.events, static_cast<IDispatch*>(sink.get()), &cookie), S_OK);
        ASSERT_EQ(Dispatcher(control).Put(kind.interval, VLong(20)), S_OK);
        ASSERT_EQ(Dispatcher(control).Put(kind.blink, VBool(true)), S_OK);
        // The third picture comes from a tick; the host drops its last reference right there.
        sink->reaction = [&](IUnknown*) {
            if (sink->Count() == 3) control.reset();
        };
        ASSERT_TRUE(PumpUntil([&] { return !control; }));
        PumpFor(200);
        EXPECT_EQ(sink->Count(), 3u) << "a released control raises nothing more";
    }
}

// The two debug lines of a control's life, caught as a debugger sees them
// (OutputDebugString raises them as exceptions first).
std::string* g_lines = nullptr;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    if (!g_lines || record.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C)
        *g_lines += reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(DebugLines, CreationAndDestructionNameTheControlWindow) {
    for (const ControlKind& kind : kControls) {
        SCOPED_TRACE(kind.name);
        std::string lines;
        g_lines = &lines;
        PVOID handler = ::AddVectoredExceptionHandler(1, &CatchDebugOutput);
        HWND window = nullptr;
        {
            HostedControl c(*kind.clsid, true);
            c.As<IOleWindow>(IID_IOleWindow)->GetWindow(&window);
        }
        ::RemoveVectoredExceptionHandler(handler);
        g_lines = nullptr;
        ASSERT_TRUE(window);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
        EXPECT_NE(lines.find(std::string("Flickon::Initialize() ==> hWnd = ") + hex), std::string::npos) << lines;
        EXPECT_NE(lines.find(std::string("Flackon::Terminate() ==> hWnd = ") + hex), std::string::npos) << lines;
    }
}

}  // namespace
}  // namespace flktest
