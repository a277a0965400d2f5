// A small ActiveX host for the Flickon0100 tests: a client site that
// answers ambient UserMode, in-place activation and property-changed
// notifications, an UpdateIcon sink, IDispatch calls by dispatch id, icon
// pictures, and time-boxed message pumping.
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

// The library beside the test program.
std::wstring LibraryPath();
// Runs regsvr32 with the arguments (the library path is appended) and
// returns its exit code; fails the test when it does not end in a minute.
DWORD RunRegsvr32(const std::wstring& switches);

// Pumps real messages until done() holds or the time box ends; returns
// done(). Never waits longer than timeoutMs.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// A new 16 x 16 icon picture of one colour; each call makes a distinct object.
ComPtr<IPictureDisp> MakePicture(COLORREF colour);
// A memory stream holding the bytes, positioned at its start.
ComPtr<IStream> StreamOf(const void* bytes, size_t size);
// The bytes of a memory stream up to its current position.
std::vector<uint8_t> StreamBytes(IStream* stream);

// The identity (IUnknown) of an object, for "same object" comparisons.
ComPtr<IUnknown> Identity(IUnknown* object);

// VARIANT makers (the VARIANT owns what it holds).
VARIANT VBool(bool value);
VARIANT VLong(long value);
VARIANT VObject(IDispatch* value);

// IDispatch calls by dispatch id, remembering the last exception.
class Dispatcher {
public:
    Dispatcher() = default;
    explicit Dispatcher(ComPtr<IDispatch> target) : target_(std::move(target)) {}

    HRESULT Put(DISPID id, VARIANT value);
    HRESULT PutRef(DISPID id, IDispatch* object);
    // Arguments in call order; they are cleared after the call.
    HRESULT Get(DISPID id, VARIANT* result, std::vector<VARIANT> args = {});
    HRESULT Call(DISPID id, std::vector<VARIANT> args = {}, VARIANT* result = nullptr, WORD flags = DISPATCH_METHOD);

    bool GetBool(DISPID id);
    long GetLong(DISPID id);
    ComPtr<IUnknown> GetUnknown(DISPID id, std::vector<VARIANT> args = {});

    // The EXCEPINFO of the last call that returned DISP_E_EXCEPTION.
    SCODE LastScode() const { return scode_; }
    const std::wstring& LastSource() const { return source_; }
    const std::wstring& LastDescription() const { return description_; }
    IDispatch* get() const { return target_.get(); }

private:
    HRESULT Invoke(DISPID id, WORD flags, std::vector<VARIANT>& args, DISPID named, VARIANT* result);

    ComPtr<IDispatch> target_;
    SCODE scode_ = 0;
    std::wstring source_;
    std::wstring description_;
};

// The container side of one control.
class TestSite final : public IOleClientSite, public IDispatch, public IOleInPlaceSite, public IPropertyNotifySink {
public:
    static ComPtr<TestSite> Create(bool userMode);

    bool userMode = true;
    HWND window = nullptr;                 // the in-place parent
    RECT position{10, 20, 210, 220};       // what GetWindowContext reports
    std::vector<DISPID> changed;           // OnChanged notifications, in order
    std::vector<RECT> positionRequests;    // OnPosRectChange calls
    int ambientQueries = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;

    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override;
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
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override;

    // IPropertyNotifySink
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

private:
    TestSite() = default;
    ~TestSite() = default;
    ULONG refs_ = 1;
};

// Sinks UpdateIcon of either control; records the identity of every picture
// (null for none) and can run a reaction inside the event.
class EventSink final : public IDispatch {
public:
    static ComPtr<EventSink> Create();

    std::vector<ComPtr<IUnknown>> pictures;
    std::function<void(IUnknown* picture)> reaction;
    size_t Count() const { return pictures.size(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

private:
    EventSink() = default;
    ~EventSink() = default;
    ULONG refs_ = 1;
};

// One control created and sited the way a container does it: create, set the
// client site, advise UpdateIcon and property notifications, then InitNew
// (unless the test loads it itself).
class HostedControl {
public:
    HostedControl(REFCLSID clsid, bool userMode, bool initNew = true);
    ~HostedControl();
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    IUnknown* unknown() const { return control_.get(); }
    template <typename T>
    ComPtr<T> As(REFIID iid) const {
        return control_.As<T>(iid);
    }
    Dispatcher& dispatch() { return dispatch_; }
    TestSite& site() { return *site_.get(); }
    EventSink& events() { return *events_.get(); }

private:
    ComPtr<IUnknown> control_;
    Dispatcher dispatch_;
    ComPtr<TestSite> site_;
    ComPtr<EventSink> events_;
    ComPtr<IConnectionPoint> eventPoint_;
    ComPtr<IConnectionPoint> notifyPoint_;
    DWORD eventCookie_ = 0;
    DWORD notifyCookie_ = 0;
};

// True when the two pointers are the same COM object.
bool SameObject(IUnknown* a, IUnknown* b);

}  // namespace flktest
