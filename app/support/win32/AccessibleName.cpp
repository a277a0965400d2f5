#include "AccessibleName.h"

#include <commctrl.h>
#include <oleacc.h>

#include <memory>
#include <new>

#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

namespace support {
namespace {

// mingw's oleacc import library exports these IIDs as function stubs, not data.
const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const IID kIidAccIdentity = {0x7852B78D, 0x1CFD, 0x41C1, {0xA6, 0x15, 0x9C, 0x0C, 0x85, 0x96, 0x0B, 0x5F}};
constexpr UINT_PTR kSubclassId = 0x4163;  // "Ac"
constexpr wchar_t kTraitsProperty[] = L"Quillet.AccessibleTraits";
constexpr wchar_t kPressAction[] = L"Нажать";

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The system's object for the window, with our name, role and default action
// on the window itself; its children and everything else are the system's.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(outside::ComPtr<IAccessible> inner, HWND window, const AccessibleTraits& traits)
        : inner_(std::move(inner)), window_(window), name_(outside::W(traits.name)), role_(traits.role),
          pressable_(traits.pressable) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // What describes the same window and its children stays the system's:
        // the window handle, the children's enumeration, the identity.
        if (iid == IID_IOleWindow || iid == IID_IEnumVARIANT || iid == kIidAccIdentity)
            return inner_->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override {
        return inner_->Invoke(id, iid, lcid, flags, params, result, exception, argError);
    }

    // IAccessible: ours
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child) && !name_.empty()) return Text(name_, name);
        return inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || role_ == 0) return inner_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (IsSelf(child) && pressable_) return Text(kPressAction, action);
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child) || !pressable_) return inner_->accDoDefaultAction(child);
        // Posted: what the click opens (a modal dialog) must not hold the caller.
        return ::PostMessageW(window_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }

    // IAccessible: the system's
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return inner_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return inner_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return inner_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

private:
    ~NamedAccessible() = default;

    LONG refs_ = 1;
    outside::ComPtr<IAccessible> inner_;
    HWND window_;
    std::wstring name_;
    long role_;
    bool pressable_;
};

// The client object: the one the window's own procedure gave (systemAnswer),
// else the system's standard one for its class, wrapped with the traits.
LRESULT WrapClientObject(HWND window, WPARAM wParam, const AccessibleTraits& traits, LRESULT systemAnswer) {
    outside::ComPtr<IAccessible> inner;
    if (systemAnswer > 0) ::ObjectFromLresult(systemAnswer, kIidAccessible, wParam, inner.put_void());
    if (!inner) ::CreateStdAccessibleObject(window, OBJID_CLIENT, kIidAccessible, inner.put_void());
    if (!inner) return 0;
    NamedAccessible* named = new (std::nothrow) NamedAccessible(std::move(inner), window, traits);
    if (!named) return 0;
    const LRESULT answer = ::LresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(named));
    named->Release();
    return answer;
}

bool AsksForClient(LPARAM lParam) { return static_cast<LONG>(lParam) == OBJID_CLIENT; }

LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* traits = reinterpret_cast<AccessibleTraits*>(data);
    if (msg == WM_GETOBJECT && AsksForClient(lParam)) {
        const LRESULT systemAnswer = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        try {
            return WrapClientObject(hwnd, wParam, *traits, systemAnswer);
        } catch (...) {
            // Nothing may leave a window procedure; the system's answer stands.
            return systemAnswer;
        }
    }
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, NamedControlProc, kSubclassId);
        ::RemovePropW(hwnd, kTraitsProperty);
        delete traits;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, const std::string& name, long role) {
    if (!control) return;
    // Named before: the new name replaces the old one.
    if (auto* named = static_cast<AccessibleTraits*>(::GetPropW(control, kTraitsProperty))) {
        *named = {name, role, false};
        return;
    }
    auto traits = std::make_unique<AccessibleTraits>(AccessibleTraits{name, role, false});
    if (!::SetPropW(control, kTraitsProperty, traits.get())) return;
    if (!::SetWindowSubclass(control, NamedControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(traits.get()))) {
        ::RemovePropW(control, kTraitsProperty);
        return;
    }
    traits.release();  // the window owns it now, until WM_NCDESTROY
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessibleTraits& traits) {
    return AsksForClient(lParam) ? WrapClientObject(window, wParam, traits, 0) : 0;
}

}  // namespace support
