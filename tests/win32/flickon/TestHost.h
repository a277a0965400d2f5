// A small ActiveX container for the Flickon0100 tests: a client site with the
// ambient UserMode, in-place activation, property notifications and the
// UpdateIcon sink; IDispatch calls by dispatch id and a time-boxed pump.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Flickon0100.h"
#include "outside/win32/Handles.h"

namespace flktest {

using outside::ComPtr;

// The identities as published, written out so that a typo in the library's
// own constants cannot pass: hosts have these compiled in.
struct ClassIdentity {
    const wchar_t* name;  // in the type library
    const wchar_t* progId;
    const wchar_t* clsid;
    const wchar_t* defaultInterface;
    const wchar_t* events;  // null: not a control
};
inline constexpr wchar_t kLibraryGuid[] = L"{1CD1B0FB-2ED4-46D4-999F-BAB0791961E1}";
inline constexpr ClassIdentity kIdentities[] = {
    {L"torFlickon", L"Flickon0100.torFlickon", L"{20735A91-B97C-4AF1-9370-CA8D7BF0FFB9}",
     L"{98A01E5B-7410-4BC0-9F58-F288B5D63376}", L"{CB3D33EC-99D1-46EB-A262-B1718B264EB5}"},
    {L"IconFrames", L"Flickon0100.IconFrames", L"{530709A9-1759-4A5D-9875-C844AA831EF1}",
     L"{033462E2-B196-4688-AFDC-78298EB09DE5}", nullptr},
    {L"torFlickon2", L"Flickon0100.torFlickon2", L"{056E1B96-3BCE-4CB3-97E0-FCB772F6AA17}",
     L"{46DE9464-76B8-4AFA-9FA7-59263D483A5B}", L"{CAE1A058-5976-485F-A269-5FCAA9EA70E1}"},
    {L"Fanservice", L"Flickon0100.Fanservice", L"{F9DB9E5D-416A-48B3-AE4F-2212D041395A}",
     L"{49CA55D9-0886-4DF7-A41E-B7B71CE32DD1}", nullptr},
};
std::wstring GuidText(REFGUID guid);
GUID GuidOf(const wchar_t* text);

// What the two controls share, for the checks both must pass.
struct ControlKind {
    const char* name;  // also the source of their errors
    const GUID* clsid;
    const IID* events;
    DISPID blink, interval, standardIcon;
    long defaultInterval;
};
inline constexpr ControlKind kControls[] = {
    {"torFlickon", &flickon::kClsidTorFlickon, &flickon::kDiidTorFlickonEvents, flickon::dispid::torFlickon::Blink,
     flickon::dispid::torFlickon::Interval, flickon::dispid::torFlickon::StandardIcon, 750},
    {"torFlickon2", &flickon::kClsidTorFlickon2, &flickon::kDiidTorFlickon2Events, flickon::dispid::torFlickon2::Blink,
     flickon::dispid::torFlickon2::Interval, flickon::dispid::torFlickon2::StandardIcon, 150},
};

std::wstring LibraryPath();  // beside the test program
DWORD RunRegsvr32(const std::wstring& switches);  // its exit code

// Pumps real messages until done() holds or the time box ends; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

ComPtr<IPictureDisp> MakePicture();  // a distinct object on each call
std::vector<uint8_t> StreamBytes(IStream* stream);  // up to the current position

ComPtr<IUnknown> Identity(IUnknown* object);  // its IUnknown, for "same object" comparisons
inline bool SameObject(IUnknown* a, IUnknown* b) { return Identity(a).get() == Identity(b).get(); }

ComPtr<IDispatch> CreateObject(REFCLSID clsid);
ComPtr<IDispatch> NewFrames(const std::vector<ComPtr<IPictureDisp>>& pictures);
// Advises sink on the object's connection point iid; a null sink unadvises the cookie.
HRESULT Connect(IUnknown* object, REFIID iid, IUnknown* sink, DWORD* cookie);

// The VARIANT owns what it holds.
VARIANT VBool(bool value);
VARIANT VLong(long value);
VARIANT VObject(IDispatch* value);

template <typename... Interfaces>
class Unknown : public Interfaces... {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

protected:
    virtual ~Unknown() = default;

private:
    ULONG refs_ = 1;
};

// IDispatch calls by dispatch id, keeping the EXCEPINFO of the last DISP_E_EXCEPTION.
class Dispatcher {
public:
    Dispatcher() = default;
    explicit Dispatcher(ComPtr<IDispatch> target) : target_(std::move(target)) {}

    // Arguments in call order; they are cleared after the call.
    HRESULT Call(DISPID id, std::vector<VARIANT> args = {}, VARIANT* result = nullptr, WORD flags = DISPATCH_METHOD);
    HRESULT Put(DISPID id, VARIANT value) { return Call(id, {value}, nullptr, DISPATCH_PROPERTYPUT); }
    HRESULT PutRef(DISPID id, IDispatch* object) {
        return Call(id, {VObject(object)}, nullptr, DISPATCH_PROPERTYPUTREF);
    }

    long Get(DISPID id, VARTYPE type);  // the call and the type are expected to succeed
    bool GetBool(DISPID id) { return Get(id, VT_BOOL) != 0; }
    long GetLong(DISPID id) { return Get(id, VT_I4); }
    ComPtr<IUnknown> GetUnknown(DISPID id, std::vector<VARIANT> args = {});

    SCODE scode = 0;
    std::wstring source, description;

private:
    ComPtr<IDispatch> target_;
};

// The container side of one control and the sink of its UpdateIcon: it keeps
// the identity of every picture (null for none) and can react inside the event.
class TestSite final : public Unknown<IOleClientSite, IDispatch, IOleInPlaceSite, IPropertyNotifySink> {
public:
    std::vector<ComPtr<IUnknown>> pictures;
    std::function<void(IUnknown* picture)> reaction;
    size_t Count() const { return pictures.size(); }
    std::vector<IUnknown*> Seen(size_t count = SIZE_MAX) const;  // the first count pictures

    bool userMode = true;
    HWND window = nullptr;                // the in-place parent
    RECT position{10, 20, 210, 220};      // what GetWindowContext reports
    std::vector<DISPID> changed;          // OnChanged notifications, in order
    std::vector<RECT> positionRequests;   // OnPosRectChange calls

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override { return *c = nullptr, E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties and UpdateIcon
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override { return *w = window, window ? S_OK : E_FAIL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return window ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override {
        positionRequests.push_back(*rect);
        return S_OK;
    }

    // IPropertyNotifySink
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

// One control sited as a container does it: client site, UpdateIcon and property
// notifications advised, then InitNew (unless the test loads it itself).
class HostedControl {
public:
    HostedControl(REFCLSID clsid, bool userMode, bool initNew = true);
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    template <typename T>
    ComPtr<T> As(REFIID iid) const {
        return control_.As<T>(iid);
    }
    Dispatcher& dispatch() { return dispatch_; }
    TestSite& site() { return *site_.get(); }
    // Pumps until count events have gone out; false when they did not in time.
    bool WaitForEvents(size_t count, DWORD timeoutMs = 5000) {
        return PumpUntil([&] { return site_->Count() >= count; }, timeoutMs);
    }

private:
    ComPtr<IUnknown> control_;
    Dispatcher dispatch_;
    ComPtr<TestSite> site_ = ComPtr<TestSite>::Attach(new TestSite());
    IID eventsIid_{};
    DWORD eventCookie_ = 0, notifyCookie_ = 0;
};

}  // namespace flktest
