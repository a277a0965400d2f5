// What both blinker controls share: everything an ActiveX container talks
// to (embedding, in-place activation, drawing, persistence, connection
// points, class information, property pages), the control's window with its
// timer, the ambient UserMode, UpdateIcon firing and property-changed
// notifications. DualControl<dual interface> adds the properties both
// controls have (Blink, StandardIcon, Interval) with starting and stopping;
// a control class adds its own properties, Rewind and Tick.
#pragma once

#include <string>

#include "ComSupport.h"
#include "ConnectionPoint.h"
#include "ControlWindow.h"
#include "Module.h"
#include "PropertyBagIo.h"

namespace flickon {

// Each control's type library numbers its shared properties its own way.
struct SharedDispids {
    DISPID blink;
    DISPID standardIcon;
    DISPID interval;
};

struct ControlDescription {
    const CLSID* clsid;
    const IID* dualIid;
    const IID* eventIid;
    const char* className;       // error source and property frame caption
    const wchar_t* faceBitmap;   // bitmap resource of the face
    SharedDispids ids;
    long defaultInterval;        // milliseconds
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
    // Puts the animation at its first step; a Tick follows at once.
    virtual void Rewind() = 0;
    // tmrBlink fired.
    virtual void Tick() = 0;

    static constexpr long kMaxInterval = 65535;
    static bool ValidInterval(long value) { return value >= 0 && value <= kMaxInterval; }

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

// The final IUnknown and IDispatch of a control over its dual interface,
// which is also the control's identity, and the properties both controls
// have. Their state lives here rather than in ControlBase so that it is
// still released before the parts every control shares.
template <typename Dual>
class DualControl : public DualObject<DualControl<Dual>, Dual, ControlBase> {
    using Base = DualObject<DualControl<Dual>, Dual, ControlBase>;

public:
    HRESULT STDMETHODCALLTYPE get_Blink(VARIANT_BOOL* value) override {
        if (!value) return E_POINTER;
        *value = blink_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Blink(VARIANT_BOOL value) override {
        return Guarded(DualIid(), [&]() -> HRESULT {
            const bool on = value != VARIANT_FALSE;
            if (on == blink_) return S_OK;
            blink_ = on;
            this->NotifyChanged(this->Description().ids.blink);
            if (this->UserMode()) on ? Start() : Stop();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_StandardIcon(IPictureDisp** value) override { return GetReference(standard_, value); }
    HRESULT STDMETHODCALLTYPE putref_StandardIcon(IPictureDisp* value) override {
        return SetReference(standard_, value, this->Description().ids.standardIcon);
    }
    HRESULT STDMETHODCALLTYPE get_Interval(long* value) override {
        if (!value) return E_POINTER;
        *value = interval_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Interval(long value) override {
        return Guarded(DualIid(), [&]() -> HRESULT {
            if (!ControlBase::ValidInterval(value)) this->RaiseInvalidArgument();
            interval_ = value;
            this->NotifyChanged(this->Description().ids.interval);
            if (this->UserMode() && blink_) RestartTimer();
            return S_OK;
        });
    }

protected:
    explicit DualControl(const ControlDescription& description)
        : Base(*description.dualIid, description), interval_(description.defaultInterval) {}
    ~DualControl() override = default;

    IUnknown* Identity() override { return static_cast<Dual*>(this); }

    // An object property: get hands out a new reference to the very object
    // stored; set stores the caller's object itself and notifies.
    template <typename Object>
    static HRESULT GetReference(const ComPtr<Object>& field, Object** out) {
        if (!out) return E_POINTER;
        *out = ComPtr<Object>(field).detach();
        return S_OK;
    }
    template <typename Object>
    HRESULT SetReference(ComPtr<Object>& field, Object* value, DISPID id) {
        return Guarded(DualIid(), [&]() -> HRESULT {
            field = ComPtr<Object>::Share(value);
            this->NotifyChanged(id);
            return S_OK;
        });
    }

    void Start() {
        this->Rewind();
        RestartTimer();
        this->Tick();
    }
    void Stop() {
        this->Timer().SetTimerEnabled(false);
        this->FireUpdateIcon(ComPtr<IPictureDisp>(standard_).get());
    }

    bool blink_ = false;
    ComPtr<IPictureDisp> standard_;
    long interval_;

private:
    friend ComObject<DualControl, Dual, ControlBase>;
    bool OfferInterface(REFIID iid, void** out) {
        return this->OfferDual(iid, out) || this->QueryControlInterface(iid, out);
    }
    REFIID DualIid() const { return *this->Description().dualIid; }
    void RestartTimer() {
        this->Timer().SetTimerEnabled(false);
        this->Timer().SetTimerInterval(static_cast<UINT>(interval_));
        this->Timer().SetTimerEnabled(true);
    }
};

}  // namespace flickon
