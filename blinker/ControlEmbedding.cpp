// How a container embeds the control: verbs, in-place activation at the
// fixed size, extents, advise sinks and drawing the face.
#include "Classes.h"
#include "ControlBase.h"

namespace flickon {

namespace {

constexpr int kFaceTwips = 570;

SIZEL FaceExtentHimetric() {
    const LONG himetric = ::MulDiv(kFaceTwips, 2540, 1440);
    return SIZEL{himetric, himetric};
}

}  // namespace

HRESULT ControlBase::Close(DWORD saveOption) {
    InPlaceDeactivate();
    if (dirty_ && clientSite_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
        clientSite_->SaveObject();
    }
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT ControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(activeSite ? activeSite : clientSite_.get());
        case OLEIVERB_HIDE:
            return InPlaceDeactivate();
        case OLEIVERB_PROPERTIES:
            return ShowPropertyFrame(parent);
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;
        default:
            return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT ControlBase::InPlaceActivate(IOleClientSite* site) {
    if (inPlaceSite_) return S_OK;
    if (!site) return E_UNEXPECTED;
    return Guarded(IID_IOleObject, [&]() -> HRESULT {
        ComPtr<IOleInPlaceSite> inPlace;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.put_void()))) return E_NOINTERFACE;
        if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
        inPlace->OnInPlaceActivate();
        HWND parent = nullptr;
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT position{};
        RECT clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (FAILED(inPlace->GetWindow(&parent)) ||
            FAILED(inPlace->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo))) {
            inPlace->OnInPlaceDeactivate();
            return E_FAIL;
        }
        inPlaceSite_ = inPlace;
        window_.ShowIn(parent, POINT{position.left, position.top});
        SnapBack(position);
        return S_OK;
    });
}

HRESULT ControlBase::InPlaceDeactivate() {
    if (!inPlaceSite_) return S_OK;
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    window_.Hide();
    site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT ControlBase::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    window_.MoveTo(POINT{position->left, position->top});
    SnapBack(*position);
    return S_OK;
}

void ControlBase::SnapBack(const RECT& position) {
    const SIZE size = ControlWindow::FaceSizePixels();
    if (snapping_ || !inPlaceSite_) return;
    if (position.right - position.left == size.cx && position.bottom - position.top == size.cy) return;
    snapping_ = true;
    RECT fixed{position.left, position.top, position.left + size.cx, position.top + size.cy};
    inPlaceSite_->OnPosRectChange(&fixed);
    snapping_ = false;
}

HRESULT ControlBase::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_.FaceWindow();
    return *window ? S_OK : E_FAIL;
}

HRESULT ControlBase::EnumVerbs(IEnumOLEVERB** verbs) { return ::OleRegEnumVerbs(*description_.clsid, verbs); }

HRESULT ControlBase::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *description_.clsid;
    return S_OK;
}

HRESULT ControlBase::GetUserType(DWORD form, LPOLESTR* type) {
    return ::OleRegGetUserType(*description_.clsid, form, type);
}

HRESULT ControlBase::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    // The size is fixed: any request leaves it as it is.
    return aspect == DVASPECT_CONTENT ? S_OK : E_INVALIDARG;
}

HRESULT ControlBase::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
    *size = FaceExtentHimetric();
    return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

HRESULT ControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!adviseHolder_) {
        const HRESULT hr = ::CreateOleAdviseHolder(adviseHolder_.put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT ControlBase::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::EnumAdvise(IEnumSTATDATA** advises) {
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT ControlBase::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kControlMiscStatus;
    return S_OK;
}

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = ComPtr<IAdviseSink>::Share(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) *sink = ComPtr<IAdviseSink>(viewSink_).detach();
    return S_OK;
}

HRESULT ControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                          BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    HBITMAP face = window_.Face();
    BITMAP info{};
    if (!face || !::GetObjectW(face, sizeof info, &info)) return OLE_E_BLANK;
    HDC memory = ::CreateCompatibleDC(dc);
    if (!memory) return E_FAIL;
    HGDIOBJ old = ::SelectObject(memory, face);
    ::StretchBlt(dc, bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top, memory, 0,
                 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return S_OK;
}

}  // namespace flickon
