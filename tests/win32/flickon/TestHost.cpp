#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace flktest {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

GUID GuidOf(const wchar_t* text) {
    GUID guid{};
    EXPECT_EQ(::CLSIDFromString(text, &guid), S_OK) << text;
    return guid;
}

std::wstring LibraryPath() {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"Flickon0100.dll";
}

DWORD RunRegsvr32(const std::wstring& switches) {
    std::wstring command = L"regsvr32.exe " + switches + L" \"" + LibraryPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "regsvr32 did not start: " << ::GetLastError();
        return static_cast<DWORD>(-1);
    }
    outside::UniqueHandle processHandle(process.hProcess);
    outside::UniqueHandle thread(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        ADD_FAILURE() << "regsvr32 did not finish within a minute";
        return static_cast<DWORD>(-1);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return done();
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

ComPtr<IPictureDisp> MakePicture(COLORREF colour) {
    HDC screen = ::GetDC(nullptr);
    outside::UniqueGdiObject colourBits(::CreateCompatibleBitmap(screen, 16, 16));
    ::ReleaseDC(nullptr, screen);
    outside::UniqueGdiObject mask(::CreateBitmap(16, 16, 1, 1, nullptr));
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, colourBits.get());
    RECT all{0, 0, 16, 16};
    outside::UniqueGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(memory, &all, static_cast<HBRUSH>(brush.get()));
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(colourBits.get())};
    HICON icon = ::CreateIconIndirect(&info);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    ComPtr<IPictureDisp> picture;
    if (FAILED(::OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.put_void()))) {
        ::DestroyIcon(icon);
        ADD_FAILURE() << "OleCreatePictureIndirect failed";
    }
    return picture;
}

ComPtr<IStream> StreamOf(const void* bytes, size_t size) {
    ComPtr<IStream> stream;
    EXPECT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ULONG done = 0;
    if (size) stream->Write(bytes, static_cast<ULONG>(size), &done);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<uint8_t> StreamBytes(IStream* stream) {
    HGLOBAL memory = nullptr;
    EXPECT_EQ(::GetHGlobalFromStream(stream, &memory), S_OK);
    ULARGE_INTEGER end{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
    const auto* bytes = static_cast<const uint8_t*>(::GlobalLock(memory));
    std::vector<uint8_t> out(bytes, bytes + end.QuadPart);
    ::GlobalUnlock(memory);
    return out;
}

ComPtr<IUnknown> Identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    if (object) object->QueryInterface(IID_IUnknown, unknown.put_void());
    return unknown;
}

bool SameObject(IUnknown* a, IUnknown* b) { return Identity(a).get() == Identity(b).get(); }

ComPtr<IDispatch> CreateObject(REFCLSID clsid) {
    ComPtr<IDispatch> object;
    EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()), S_OK);
    return object;
}

ComPtr<IDispatch> NewFrames(const std::vector<ComPtr<IPictureDisp>>& pictures) {
    ComPtr<IDispatch> collection = CreateObject(flickon::kClsidIconFrames);
    Dispatcher d(collection);
    for (const auto& p : pictures) EXPECT_EQ(d.Call(flickon::dispid::IconFrames::AddFrame, {VObject(p.get())}), S_OK);
    return collection;
}

// sink: advise it; else unadvise the cookie.
static HRESULT Connect(IUnknown* object, REFIID iid, IUnknown* sink, DWORD* cookie) {
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    DWORD ignored = 0;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, points.put_void());
    if (SUCCEEDED(hr)) hr = points->FindConnectionPoint(iid, point.put());
    if (SUCCEEDED(hr)) hr = sink ? point->Advise(sink, cookie ? cookie : &ignored) : point->Unadvise(*cookie);
    return hr;
}

HRESULT Advise(IUnknown* object, REFIID iid, IUnknown* sink, DWORD* cookie) {
    return Connect(object, iid, sink, cookie);
}

VARIANT VBool(bool value) {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT VLong(long value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT VObject(IDispatch* value) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = value;
    if (value) value->AddRef();
    return v;
}

HRESULT Dispatcher::Invoke(DISPID id, WORD flags, std::vector<VARIANT>& args, DISPID named, VARIANT* result) {
    std::reverse(args.begin(), args.end());  // DISPPARAMS holds them last first
    DISPPARAMS params{args.empty() ? nullptr : args.data(), named == DISPID_UNKNOWN ? nullptr : &named,
                      static_cast<UINT>(args.size()), named == DISPID_UNKNOWN ? 0u : 1u};
    EXCEPINFO excep{};
    UINT argError = 0;
    const HRESULT hr = target_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        scode_ = excep.scode ? excep.scode : static_cast<SCODE>(excep.wCode);
        source_ = excep.bstrSource ? excep.bstrSource : L"";
        description_ = excep.bstrDescription ? excep.bstrDescription : L"";
    }
    ::SysFreeString(excep.bstrSource);
    ::SysFreeString(excep.bstrDescription);
    ::SysFreeString(excep.bstrHelpFile);
    for (VARIANT& v : args) ::VariantClear(&v);
    return hr;
}

HRESULT Dispatcher::Put(DISPID id, VARIANT value) {
    std::vector<VARIANT> args{value};
    return Invoke(id, DISPATCH_PROPERTYPUT, args, DISPID_PROPERTYPUT, nullptr);
}

HRESULT Dispatcher::PutRef(DISPID id, IDispatch* object) {
    std::vector<VARIANT> args{VObject(object)};
    return Invoke(id, DISPATCH_PROPERTYPUTREF, args, DISPID_PROPERTYPUT, nullptr);
}

HRESULT Dispatcher::Get(DISPID id, VARIANT* result, std::vector<VARIANT> args) {
    return Invoke(id, DISPATCH_PROPERTYGET, args, DISPID_UNKNOWN, result);
}

HRESULT Dispatcher::Call(DISPID id, std::vector<VARIANT> args, VARIANT* result, WORD flags) {
    return Invoke(id, flags, args, DISPID_UNKNOWN, result);
}

bool Dispatcher::GetBool(DISPID id) {
    outside::Variant v;
    EXPECT_EQ(Get(id, v.get()), S_OK);
    EXPECT_EQ(V_VT(v.get()), VT_BOOL);
    return V_VT(v.get()) == VT_BOOL && V_BOOL(v.get()) != VARIANT_FALSE;
}

long Dispatcher::GetLong(DISPID id) {
    outside::Variant v;
    EXPECT_EQ(Get(id, v.get()), S_OK);
    EXPECT_EQ(V_VT(v.get()), VT_I4);
    return V_VT(v.get()) == VT_I4 ? V_I4(v.get()) : -12345;
}

ComPtr<IUnknown> Dispatcher::GetUnknown(DISPID id, std::vector<VARIANT> args) {
    outside::Variant v;
    EXPECT_EQ(Get(id, v.get(), std::move(args)), S_OK);
    if (V_VT(v.get()) == VT_DISPATCH) return Identity(V_DISPATCH(v.get()));
    if (V_VT(v.get()) == VT_UNKNOWN) return Identity(V_UNKNOWN(v.get()));
    ADD_FAILURE() << "not an object: vt " << V_VT(v.get());
    return nullptr;
}

ComPtr<TestSite> TestSite::Create(bool userMode) {
    ComPtr<TestSite> site = ComPtr<TestSite>::Attach(new TestSite());
    site->userMode = userMode;
    return site;
}

HRESULT TestSite::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IPropertyNotifySink) {
        *out = static_cast<IPropertyNotifySink*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TestSite::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

HRESULT TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (id != DISPID_AMBIENT_USERMODE || !result) return DISP_E_MEMBERNOTFOUND;
    ++ambientQueries;
    *result = VBool(userMode);
    return S_OK;
}

HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                   LPOLEINPLACEFRAMEINFO info) {
    *frame = nullptr;
    *doc = nullptr;
    *pos = position;
    *clip = position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

ComPtr<EventSink> EventSink::Create() { return ComPtr<EventSink>::Attach(new EventSink()); }

HRESULT EventSink::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == flickon::kDiidTorFlickonEvents ||
        iid == flickon::kDiidTorFlickon2Events) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

std::vector<IUnknown*> EventSink::Seen(size_t count) const {
    std::vector<IUnknown*> out;
    for (size_t i = 0; i < count && i < pictures.size(); ++i) out.push_back(pictures[i].get());
    return out;
}

ULONG EventSink::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (id != flickon::dispid::UpdateIcon) return DISP_E_MEMBERNOTFOUND;
    EXPECT_EQ(params->cArgs, 1u);
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    const VARIANT& arg = params->rgvarg[0];
    EXPECT_TRUE(V_VT(&arg) == VT_DISPATCH || V_VT(&arg) == VT_UNKNOWN) << "vt " << V_VT(&arg);
    IUnknown* picture = V_VT(&arg) == VT_DISPATCH ? V_DISPATCH(&arg) : V_UNKNOWN(&arg);
    pictures.push_back(Identity(picture));
    if (reaction) reaction(picture);
    return S_OK;
}

HostedControl::HostedControl(REFCLSID clsid, bool userMode, bool initNew) {
    site_ = TestSite::Create(userMode);
    events_ = EventSink::Create();
    const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control_.put_void());
    if (FAILED(hr)) {
        ADD_FAILURE() << "CoCreateInstance failed: " << std::hex << hr;
        return;
    }
    dispatch_ = Dispatcher(control_.As<IDispatch>(IID_IDispatch));
    EXPECT_EQ(control_.As<IOleObject>(IID_IOleObject)->SetClientSite(site_.get()), S_OK);
    eventsIid_ = ::IsEqualCLSID(clsid, flickon::kClsidTorFlickon2) ? flickon::kDiidTorFlickon2Events
                                                                    : flickon::kDiidTorFlickonEvents;
    EXPECT_EQ(Advise(control_.get(), eventsIid_, static_cast<IDispatch*>(events_.get()), &eventCookie_), S_OK);
    EXPECT_EQ(Advise(control_.get(), IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(site_.get()),
                     &notifyCookie_),
              S_OK);
    if (initNew) {
        EXPECT_EQ(control_.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->InitNew(), S_OK);
    }
}

HostedControl::~HostedControl() {
    // A host leaves as a careful container does: sinks unadvised, then closed.
    if (eventCookie_) {
        EXPECT_EQ(Connect(control_.get(), eventsIid_, nullptr, &eventCookie_), S_OK);
        EXPECT_EQ(Connect(control_.get(), IID_IPropertyNotifySink, nullptr, &notifyCookie_), S_OK);
    }
    if (ComPtr<IOleObject> ole = control_.As<IOleObject>(IID_IOleObject)) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
    }
}

}  // namespace flktest
