// What both blinker controls share: everything an ActiveX container talks
// to (embedding, in-place activation, drawing, persistence, connection
// points, class information, property pages), the control's window with its
// timer, the ambient UserMode, UpdateIcon firing and property-changed
// notifications. A control class adds its properties and its Start, Stop and
// Tick through DualControl<its dual interface>.
#pragma once

#include <string>

#include "ComSupport.h"
#include "ConnectionPoint.h"
#include "ControlWindow.h"
#include "Module.h"
#include "PropertyBagIo.h"

namespace flickon {

struct ControlDescription {
    const CLSID* clsid;
    const IID* dualIid;
    const IID* eventIid;
    const char* className;       // error source and property frame caption
    const wchar_t* faceBitmap;   // bitmap resource of the face
};

// The text written under "DevoteTo" on every save; never read back.
extern const char kDevoteTo[];

class ControlBase : public IOleObject,
                    public IOleControl,
                    public IOleInPlaceObject,
                    public IViewObject2,
                    public IPersistPropertyBag,
                    public IPersistStreamInit,
                    public IConnectionPointContainer,
                    public IProvideClassInfo2,
                    public ISpecifyPropertyPages,
                    public ISupportErrorInfo,
                    protected ControlWindow::Owner {
public:
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                     LPCRECT posRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

protected:
    explicit ControlBase(const ControlDescription& description);
    virtual ~ControlBase();

    const ControlDescription& Description() const { return description_; }
    // The interfaces of this class, for the final QueryInterface.
    bool QueryControlInterface(REFIID iid, void** out);
    // The control's identity (its IUnknown).
    virtual IUnknown* Identity() = 0;

    // The container's ambient UserMode: true when it runs its form, and when
    // it cannot tell (no site, no such ambient).
    bool UserMode();
    // Raises UpdateIcon on every advised sink, synchronously.
    void FireUpdateIcon(IPictureDisp* picture);
    // Tells the container a property changed and marks the control dirty.
    void NotifyChanged(DISPID id);
    ControlWindow& Timer() { return window_; }
    [[noreturn]] void RaiseInvalidArgument() const;

    // Properties of a new instance; stops the timer without an event.
    virtual void InitProperties() = 0;
    // Load from a bag; starts blinking if the loaded state says so.
    virtual void ReadProperties(PropertyReader& reader) = 0;
    virtual void WriteProperties(PropertyWriter& writer) = 0;
    // tmrBlink fired.
    virtual void Tick() = 0;

private:
    void OnTick() noexcept override;
    HRESULT InPlaceActivate(IOleClientSite* site);
    // The control keeps its fixed size: a container that placed it at any
    // other size is told the size it has.
    void SnapBack(const RECT& position);
    HRESULT ShowPropertyFrame(HWND parent);

    ModuleReference module_;  // first in, last out: the window class goes before the module may
    const ControlDescription& description_;
    ComPtr<IOleClientSite> clientSite_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    bool snapping_ = false;
    long frozen_ = 0;
    bool dirty_ = false;
    ConnectionPoint eventPoint_;
    ConnectionPoint notifyPoint_;
    ControlWindow window_;
};

// The final IUnknown and IDispatch of a control over its dual interface.
template <typename Dual>
class DualControl : public Dual, public ControlBase {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Dual* dual = this;
        if (Offer(iid, IID_IUnknown, dual, out) || Offer(iid, IID_IDispatch, dual, out) ||
            Offer(iid, *Description().dualIid, dual, out)) {
            return S_OK;
        }
        return QueryControlInterface(iid, out) ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = refs_.Drop();
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return dispatch_.GetTypeInfo(index, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_.GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argError) override {
        return dispatch_.Invoke(static_cast<Dual*>(this), id, flags, params, result, excep, argError);
    }

protected:
    explicit DualControl(const ControlDescription& description)
        : ControlBase(description), dispatch_(*description.dualIid) {}
    ~DualControl() override = default;

    IUnknown* Identity() override { return static_cast<Dual*>(this); }

private:
    RefCount refs_;
    TypeInfoDispatch dispatch_;
};

}  // namespace flickon
