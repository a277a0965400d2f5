#include "ComSupport.h"

#include <new>

#include "Module.h"
#include "outside/RuntimeError.h"
#include "outside/win32/Wide.h"

namespace flickon {

namespace {

constexpr char kLibrarySource[] = "Flickon0100";

void SetErrorInfoFor(REFIID iid, const std::string& source, const std::string& description) noexcept {
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(::CreateErrorInfo(create.put()))) return;
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(outside::W(source).c_str()));
        create->SetDescription(const_cast<LPOLESTR>(outside::W(description).c_str()));
        ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
        ::SetErrorInfo(0, info.get());
    } catch (...) {
        // Reporting the error must never become a second failure.
    }
}

}  // namespace

HRESULT HResultOfErrorNumber(long number) noexcept {
    if (number < 0) return static_cast<HRESULT>(number);
    if (number == 0) return E_FAIL;
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

HRESULT HResultFromCurrentException(REFIID iid) noexcept {
    try {
        throw;
    } catch (const outside::RuntimeError& e) {
        const HRESULT hr = HResultOfErrorNumber(e.Number());
        SetErrorInfoFor(iid, e.Source().empty() ? kLibrarySource : e.Source(), e.Description());
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

std::string ErrorDescription(long number) {
    switch (number) {
        case kErrInvalidArgument:
            return "Недопустимый вызов процедуры или аргумент";
        case kErrOverflow:
            return "Переполнение";
        case kErrSubscriptOutOfRange:
            return "Индекс выходит за пределы допустимого диапазона";
        default:
            return "Ошибка " + std::to_string(number);
    }
}

void RaiseError(long number, const std::string& source) {
    throw outside::RuntimeError(number, ErrorDescription(number), source);
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw outside::RuntimeError(hr, what);
}

RefCount::RefCount() noexcept { LockModule(); }
RefCount::~RefCount() { UnlockModule(); }

ComPtr<ITypeLib> LibraryTypeLib() {
    // oleaut32 caches loaded libraries, so loading per object is cheap and
    // leaves nothing of ours alive after the last object goes.
    ComPtr<ITypeLib> lib;
    Check(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, lib.put()), "LoadTypeLibEx");
    return lib;
}

ComPtr<ITypeInfo> LibraryTypeInfo(REFGUID guid) {
    ComPtr<ITypeInfo> info;
    Check(LibraryTypeLib()->GetTypeInfoOfGuid(guid, info.put()), "GetTypeInfoOfGuid");
    return info;
}

TypeInfoDispatch::TypeInfoDispatch(REFIID dualIid) : iid_(dualIid), dispatchInfo_(LibraryTypeInfo(dualIid)) {
    // A dual interface's entry is its dispatch view; its vtable view is the
    // implemented type -1, and that is the one DispInvoke can call through.
    HREFTYPE ref = 0;
    if (SUCCEEDED(dispatchInfo_->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
        dispatchInfo_->GetRefTypeInfo(ref, vtableInfo_.put());
    }
    if (!vtableInfo_) vtableInfo_ = dispatchInfo_;
}

HRESULT TypeInfoDispatch::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfo(UINT index, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    dispatchInfo_->AddRef();
    *info = dispatchInfo_.get();
    return S_OK;
}

HRESULT TypeInfoDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) noexcept {
    return ::DispGetIDsOfNames(vtableInfo_.get(), names, count, ids);
}

HRESULT TypeInfoDispatch::Invoke(void* dual, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excep, UINT* argError) noexcept {
    DISPPARAMS none{};
    const HRESULT hr =
        ::DispInvoke(dual, vtableInfo_.get(), id, flags, params ? params : &none, result, excep, argError);
    if (SUCCEEDED(hr) || !excep || hr == DISP_E_EXCEPTION || HRESULT_FACILITY(hr) == FACILITY_DISPATCH) return hr;
    // A member's own failure reaches an IDispatch client as an exception with
    // the error's source and description, however DispInvoke passed it on.
    *excep = EXCEPINFO{};
    excep->scode = hr;
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) == S_OK && info) {
        info->GetSource(&excep->bstrSource);
        info->GetDescription(&excep->bstrDescription);
        info->GetHelpFile(&excep->bstrHelpFile);
        info->GetHelpContext(&excep->dwHelpContext);
    }
    return DISP_E_EXCEPTION;
}

BSTR AllocBstr(const std::string& utf8) {
    const std::wstring w = outside::W(utf8);
    BSTR b = ::SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

LPOLESTR CoTaskCopy(const wchar_t* text) {
    const size_t bytes = (::lstrlenW(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (copy) ::CopyMemory(copy, text, bytes);
    return copy;
}

}  // namespace flickon
