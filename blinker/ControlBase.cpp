// The control's life, its site and ambient UserMode, events and
// notifications, connection points, class information and property pages.
// Embedding and in-place activation are in ControlEmbedding.cpp,
// persistence in ControlPersistence.cpp.
#include "ControlBase.h"

#include <cstdint>

#include "Flickon0100_idl.h"
#include "outside/Support.h"
#include "outside/win32/Wide.h"
#include "outside/win32/WindowSupport.h"

namespace flickon {

namespace {

// The platform's standard picture page.
constexpr GUID kStockPicturePage = {0x7EBDAAE2, 0x8120, 0x11CF, {0x89, 0x9F, 0x00, 0xAA, 0x00, 0x68, 0x8B, 0x10}};

std::string HandleText(HWND window) {
    return outside::asHexEx4(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
}

}  // namespace

const char kDevoteTo[] = "Посвящается всем, кто ждёт ответа. Greyfen Works";

ControlBase::ControlBase(const ControlDescription& description)
    : description_(description),
      eventPoint_(this, *description.eventIid, true),
      notifyPoint_(this, IID_IPropertyNotifySink, false),
      window_(*this, description.faceBitmap) {
    outside::asDebugPrint("Flickon::Initialize() ==> hWnd = " + HandleText(window_.Handle()));
}

ControlBase::~ControlBase() {
    try {
        outside::asDebugPrint("Flackon::Terminate() ==> hWnd = " + HandleText(window_.Handle()));
    } catch (...) {
        // a debug line is never worth a failure
    }
}

bool ControlBase::QueryControlInterface(REFIID iid, void** out) {
    IPersist* persist = static_cast<IPersistPropertyBag*>(this);
    IOleWindow* window = static_cast<IOleInPlaceObject*>(this);
    IViewObject* view = static_cast<IViewObject2*>(this);
    IProvideClassInfo* classInfo = static_cast<IProvideClassInfo2*>(this);
    return Offer(iid, IID_IOleObject, static_cast<IOleObject*>(this), out) ||
           Offer(iid, IID_IOleControl, static_cast<IOleControl*>(this), out) ||
           Offer(iid, IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this), out) ||
           Offer(iid, IID_IOleWindow, window, out) || Offer(iid, IID_IViewObject, view, out) ||
           Offer(iid, IID_IViewObject2, static_cast<IViewObject2*>(this), out) ||
           Offer(iid, IID_IPersist, persist, out) ||
           Offer(iid, IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this), out) ||
           Offer(iid, IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this), out) ||
           Offer(iid, IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this), out) ||
           Offer(iid, IID_IProvideClassInfo, classInfo, out) ||
           Offer(iid, IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this), out) ||
           Offer(iid, IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this), out) ||
           Offer(iid, IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this), out);
}

HRESULT ControlBase::SetClientSite(IOleClientSite* site) {
    clientSite_ = ComPtr<IOleClientSite>::Share(site);
    return S_OK;
}

HRESULT ControlBase::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = ComPtr<IOleClientSite>(clientSite_).detach();
    return S_OK;
}

bool ControlBase::UserMode() {
    if (!clientSite_) return true;
    ComPtr<IDispatch> ambient = clientSite_.As<IDispatch>(IID_IDispatch);
    if (!ambient) return true;
    DISPPARAMS none{};
    outside::Variant value;
    if (FAILED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                               value.get(), nullptr, nullptr))) {
        return true;
    }
    if (FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_BOOL))) return true;
    return V_BOOL(value.get()) != VARIANT_FALSE;
}

void ControlBase::FireUpdateIcon(IPictureDisp* picture) {
    // A handler may release the control or unadvise: hold ourselves and
    // walk a snapshot of the sinks.
    ComPtr<IUnknown> self = ComPtr<IUnknown>::Share(Identity());
    for (const ComPtr<IUnknown>& sink : eventPoint_.Sinks()) {
        ComPtr<IDispatch> target = sink.As<IDispatch>(IID_IDispatch);
        if (!target) continue;
        VARIANTARG argument;
        V_VT(&argument) = VT_DISPATCH;
        V_DISPATCH(&argument) = picture;
        DISPPARAMS params{&argument, nullptr, 1, 0};
        target->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

void ControlBase::NotifyChanged(DISPID id) {
    dirty_ = true;
    ComPtr<IUnknown> self = ComPtr<IUnknown>::Share(Identity());
    for (const ComPtr<IUnknown>& sink : notifyPoint_.Sinks()) {
        ComPtr<IPropertyNotifySink> target = sink.As<IPropertyNotifySink>(IID_IPropertyNotifySink);
        if (target) target->OnChanged(id);
    }
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

void ControlBase::RaiseInvalidArgument() const { RaiseError(kErrInvalidArgument, description_.className); }

void ControlBase::OnTick() noexcept {
    ComPtr<IUnknown> self = ComPtr<IUnknown>::Share(Identity());
    try {
        Tick();
    } catch (...) {
        // a failed tick is skipped; the next one tries again
    }
}

HRESULT ControlBase::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT ControlBase::FreezeEvents(BOOL freeze) {
    // Counted for the container's sake; UpdateIcon is raised regardless,
    // since a host that froze events while loading still expects the first
    // picture of a control that starts blinking at load.
    frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0);
    return S_OK;
}

HRESULT ControlBase::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return EnumerateConnectionPoints({&eventPoint_, &notifyPoint_}, points);
}

HRESULT ControlBase::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    ConnectionPoint* found = nullptr;
    if (::IsEqualIID(iid, eventPoint_.Iid())) found = &eventPoint_;
    if (::IsEqualIID(iid, notifyPoint_.Iid())) found = &notifyPoint_;
    if (!found) return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *point = found;
    return S_OK;
}

HRESULT ControlBase::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return Guarded(IID_IProvideClassInfo, [&]() -> HRESULT {
        *info = LibraryTypeInfo(*description_.clsid).detach();
        return S_OK;
    });
}

HRESULT ControlBase::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = *description_.eventIid;
    return S_OK;
}

HRESULT ControlBase::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(2 * sizeof(GUID)));
    if (!pages->pElems) return E_OUTOFMEMORY;
    pages->pElems[0] = kStockPicturePage;
    pages->pElems[1] = CLSID_Fanservice;
    pages->cElems = 2;
    return S_OK;
}

HRESULT ControlBase::ShowPropertyFrame(HWND parent) {
    return Guarded(IID_IOleObject, [&]() -> HRESULT {
        const std::wstring caption = outside::W(description_.className);
        CAUUID pages{};
        HRESULT hr = GetPages(&pages);
        if (FAILED(hr)) return hr;
        IUnknown* self = Identity();
        hr = ::OleCreatePropertyFrame(parent, 0, 0, caption.c_str(), 1, &self, pages.cElems, pages.pElems,
                                      LOCALE_USER_DEFAULT, 0, nullptr);
        ::CoTaskMemFree(pages.pElems);
        return hr;
    });
}

HRESULT ControlBase::InterfaceSupportsErrorInfo(REFIID iid) {
    return ::IsEqualIID(iid, *description_.dualIid) ? S_OK : S_FALSE;
}

}  // namespace flickon
