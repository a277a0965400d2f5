#include "BlinkerHost.h"

#include <olectl.h>

#include "blinker/Flickon0100.h"
#include "outside/RuntimeError.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/Win32Error.h"

namespace chatwindow {

using outside::ComPtr;

namespace {

// What the site and the sink share: a reference count, and an IDispatch that
// is reached only by dispatch id (no type information, no names).
template <typename Self>
class LateBoundObject : public IDispatch {
public:
    virtual ~LateBoundObject() = default;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (!left) delete static_cast<Self*>(this);
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }

private:
    ULONG refs_ = 1;
};

}  // namespace

// The client site: the container's answers to the control, of which only the
// ambient UserMode matters (true: the program runs, the control blinks).
class BlinkerHost::Site final : public IOleClientSite, public LateBoundObject<BlinkerHost::Site> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == DISPID_AMBIENT_USERMODE && (flags & DISPATCH_PROPERTYGET) && result) {
            ::VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return LateBoundObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return LateBoundObject::Release(); }
};

// The event sink for __torFlickon: UpdateIcon(SetThisIcon).
class BlinkerHost::Sink final : public LateBoundObject<BlinkerHost::Sink> {
public:
    explicit Sink(BlinkerHost* host) : host_(host) {}
    void Detach() { host_ = nullptr; }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == flickon::kDiidTorFlickonEvents) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != flickon::dispid::UpdateIcon || !host_ || !host_->OnUpdateIcon) return S_OK;
        ComPtr<IPicture> picture;
        if (params && params->cArgs >= 1) {
            VARIANT& arg = params->rgvarg[params->cArgs - 1];
            IUnknown* unknown = nullptr;
            if (arg.vt == VT_DISPATCH) unknown = arg.pdispVal;
            else if (arg.vt == (VT_DISPATCH | VT_BYREF) && arg.ppdispVal) unknown = *arg.ppdispVal;
            else if (arg.vt == VT_UNKNOWN) unknown = arg.punkVal;
            if (unknown) unknown->QueryInterface(IID_IPicture, picture.put_void());
        }
        try {
            host_->OnUpdateIcon(picture);
        } catch (...) {
            // Nothing may leave a COM method.
        }
        return S_OK;
    }

private:
    BlinkerHost* host_;
};

namespace {

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw outside::ComError(hr, what);
}

}  // namespace

BlinkerHost::BlinkerHost() {
    HRESULT hr = ::CoCreateInstance(flickon::kClsidTorFlickon, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    control_.put_void());
    if (FAILED(hr)) {
        // Not registered: a copied program folder still works with the DLL beside the program.
        const std::string exe = outside::esGetModuleFileName();
        const std::string dll = outside::esBuildFileName2(outside::esGetFilePath(exe), "Flickon0100.dll");
        library_.reset(::LoadLibraryW(outside::W(dll).c_str()));
        if (!library_) throw outside::LastError(dll);
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(::GetProcAddress(library_.get(), "DllGetClassObject")));
        if (!get) throw outside::LastError(dll);
        ComPtr<IClassFactory> factory;
        Check(get(flickon::kClsidTorFlickon, IID_IClassFactory, factory.put_void()), "DllGetClassObject");
        Check(factory->CreateInstance(nullptr, IID_IOleObject, control_.put_void()), "torFlickon");
    }
    site_ = new Site();
    Check(control_->SetClientSite(site_), "IOleObject::SetClientSite");
    if (auto init = control_.As<IPersistStreamInit>(IID_IPersistStreamInit)) init->InitNew();
    dispatch_ = control_.As<IDispatch>(IID_IDispatch);
    if (!dispatch_) throw outside::ComError(E_NOINTERFACE, "torFlickon IDispatch");
    auto container = control_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (!container) throw outside::ComError(E_NOINTERFACE, "torFlickon IConnectionPointContainer");
    Check(container->FindConnectionPoint(flickon::kDiidTorFlickonEvents, connection_.put()), "FindConnectionPoint");
    sink_ = new Sink(this);
    Check(connection_->Advise(sink_, &cookie_), "IConnectionPoint::Advise");
}

BlinkerHost::~BlinkerHost() {
    if (sink_) sink_->Detach();
    if (connection_ && cookie_) connection_->Unadvise(cookie_);
    connection_.reset();
    dispatch_.reset();
    if (control_) {
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
    }
    control_.reset();
    if (sink_) sink_->Release();
    if (site_) site_->Release();
    // The module goes last, after every object it made is released.
}

bool BlinkerHost::Blink() const {
    DISPPARAMS none{};
    VARIANT result;
    ::VariantInit(&result);
    const HRESULT hr = dispatch_->Invoke(flickon::dispid::torFlickon::Blink, IID_NULL, LOCALE_USER_DEFAULT,
                                         DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    const bool on = SUCCEEDED(hr) && result.vt == VT_BOOL && result.boolVal != VARIANT_FALSE;
    ::VariantClear(&result);
    return on;
}

void BlinkerHost::SetBlink(bool blink) {
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = blink ? VARIANT_TRUE : VARIANT_FALSE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    Check(dispatch_->Invoke(flickon::dispid::torFlickon::Blink, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                            &params, nullptr, nullptr, nullptr),
          "torFlickon.Blink");
}

void BlinkerHost::PutPicture(DISPID id, const ComPtr<IPicture>& picture) {
    ComPtr<IPictureDisp> disp = picture.As<IPictureDisp>(IID_IPictureDisp);
    VARIANT value;
    value.vt = VT_DISPATCH;
    value.pdispVal = disp.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    Check(dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr, nullptr,
                            nullptr),
          "torFlickon picture");
}

void BlinkerHost::SetStandardIcon(const ComPtr<IPicture>& picture) {
    PutPicture(flickon::dispid::torFlickon::StandardIcon, picture);
}
void BlinkerHost::SetBlinkIcon1(const ComPtr<IPicture>& picture) {
    PutPicture(flickon::dispid::torFlickon::BlinkIcon1, picture);
}
void BlinkerHost::SetBlinkIcon2(const ComPtr<IPicture>& picture) {
    PutPicture(flickon::dispid::torFlickon::BlinkIcon2, picture);
}

}  // namespace chatwindow
