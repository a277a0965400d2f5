#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace flktest {

namespace {

// Every run starts in a fresh Wine prefix: the library is registered with
// regsvr32 before the tests, as an installer would, and unregistered after.
class RegisteredLibrary : public ::testing::Environment {
public:
    void SetUp() override {
        ::OleInitialize(nullptr);
        ASSERT_EQ(RunRegsvr32(L"/s"), 0u) << "regsvr32 could not register the library";
    }
    void TearDown() override {
        RunRegsvr32(L"/s /u");
        ::OleUninitialize();
    }
};
[[maybe_unused]] ::testing::Environment* const kRegistered = ::testing::AddGlobalTestEnvironment(new RegisteredLibrary);

}  // namespace

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
    DWORD code = static_cast<DWORD>(-1);
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return code;
    outside::UniqueHandle processHandle(process.hProcess), thread(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
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
        const ULONGLONG now = ::GetTickCount64();
        if (done() || now >= deadline) return done();
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

ComPtr<IPictureDisp> MakePicture() {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(::OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.put_void()), S_OK);
    return picture;
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

HRESULT Connect(IUnknown* object, REFIID iid, IUnknown* sink, DWORD* cookie) {
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, points.put_void());
    if (SUCCEEDED(hr)) hr = points->FindConnectionPoint(iid, point.put());
    if (SUCCEEDED(hr)) hr = sink ? point->Advise(sink, cookie) : point->Unadvise(*cookie);
    return hr;
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

HRESULT Dispatcher::Call(DISPID id, std::vector<VARIANT> args, VARIANT* result, WORD flags) {
    std::reverse(args.begin(), args.end());  // DISPPARAMS holds them last first
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params{args.empty() ? nullptr : args.data(), put ? &named : nullptr, static_cast<UINT>(args.size()),
                      put ? 1u : 0u};
    EXCEPINFO excep{};
    UINT argError = 0;
    const HRESULT hr = target_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        scode = excep.scode ? excep.scode : static_cast<SCODE>(excep.wCode);
        source = excep.bstrSource ? excep.bstrSource : L"";
        description = excep.bstrDescription ? excep.bstrDescription : L"";
    }
    ::SysFreeString(excep.bstrSource);
    ::SysFreeString(excep.bstrDescription);
    ::SysFreeString(excep.bstrHelpFile);
    for (VARIANT& v : args) ::VariantClear(&v);
    return hr;
}

long Dispatcher::Get(DISPID id, VARTYPE type) {
    outside::Variant v;
    EXPECT_EQ(Call(id, {}, v.get(), DISPATCH_PROPERTYGET), S_OK);
    EXPECT_EQ(V_VT(v.get()), type);
    return V_VT(v.get()) != type ? -12345 : type == VT_BOOL ? V_BOOL(v.get()) : V_I4(v.get());
}

ComPtr<IUnknown> Dispatcher::GetUnknown(DISPID id, std::vector<VARIANT> args) {
    outside::Variant v;
    EXPECT_EQ(Call(id, std::move(args), v.get(), DISPATCH_PROPERTYGET), S_OK);
    // Nothing comes as an empty object reference, which a host can Set from.
    EXPECT_EQ(V_VT(v.get()), VT_DISPATCH);
    return V_VT(v.get()) == VT_DISPATCH ? Identity(V_DISPATCH(v.get())) : nullptr;
}

HRESULT TestSite::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IDispatch || iid == flickon::kDiidTorFlickonEvents ||
               iid == flickon::kDiidTorFlickon2Events) {
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

HRESULT TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
    if (id == DISPID_AMBIENT_USERMODE && result) {
        *result = VBool(userMode);
        return S_OK;
    }
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

std::vector<IUnknown*> TestSite::Seen(size_t count) const {
    std::vector<IUnknown*> out;
    for (size_t i = 0; i < count && i < pictures.size(); ++i) out.push_back(pictures[i].get());
    return out;
}

HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                   LPOLEINPLACEFRAMEINFO info) {
    *frame = nullptr;
    *doc = nullptr;
    *pos = *clip = position;
    *info = OLEINPLACEFRAMEINFO{info->cb, FALSE, window, nullptr, 0};
    return S_OK;
}

HostedControl::HostedControl(REFCLSID clsid, bool userMode, bool initNew) {
    site_->userMode = userMode;
    const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control_.put_void());
    if (FAILED(hr)) {
        ADD_FAILURE() << "CoCreateInstance failed: " << std::hex << hr;
        return;
    }
    dispatch_ = Dispatcher(control_.As<IDispatch>(IID_IDispatch));
    EXPECT_EQ(control_.As<IOleObject>(IID_IOleObject)->SetClientSite(site_.get()), S_OK);
    eventsIid_ = ::IsEqualCLSID(clsid, flickon::kClsidTorFlickon2) ? flickon::kDiidTorFlickon2Events
                                                                    : flickon::kDiidTorFlickonEvents;
    EXPECT_EQ(Connect(control_.get(), eventsIid_, static_cast<IDispatch*>(site_.get()), &eventCookie_), S_OK);
    EXPECT_EQ(Connect(control_.get(), IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(site_.get()),
                      &notifyCookie_),
              S_OK);
    if (initNew) {
        EXPECT_EQ(control_.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->InitNew(), S_OK);
    }
}

HostedControl::~HostedControl() {
    // A careful container leaves: sinks unadvised (the connection the control
    // made must be the one it takes back), then closed.
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
