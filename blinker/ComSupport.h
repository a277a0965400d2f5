// Small pieces every COM class of the library uses: the guard that keeps
// exceptions inside COM methods, run-time errors as IErrorInfo, reference
// counts, and IDispatch answered from the library's own type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <string>
#include <utility>

#include "Flickon0100.h"
#include "outside/win32/Handles.h"

namespace flickon {

using outside::ComPtr;

// The HRESULT a client sees for a run-time error number (0x800A0000 + n, as
// controls report them); numbers that already are HRESULTs pass unchanged.
HRESULT HResultOfErrorNumber(long number) noexcept;

// Turns the exception being handled into an HRESULT, setting IErrorInfo with
// the error's source and description. Call only inside a catch block.
HRESULT HResultFromCurrentException(REFIID iid) noexcept;

// Runs body and keeps every exception inside: the one way COM methods of the
// library do their work.
template <typename Body>
HRESULT Guarded(REFIID iid, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return HResultFromCurrentException(iid);
    }
}

// Throws a run-time error with the standard description of its number.
[[noreturn]] void RaiseError(long number, const std::string& source);

// Standard Russian description of the run-time error numbers above.
std::string ErrorDescription(long number);

// Throws a run-time error for a failed HRESULT.
void Check(HRESULT hr, const char* what);

// Reference count shared by every object; also holds the module.
class RefCount {
public:
    RefCount() noexcept;
    ~RefCount();
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;
    ULONG Add() noexcept { return ++count_; }
    ULONG Drop() noexcept { return --count_; }

private:
    std::atomic<ULONG> count_{1};
};

// Answers QueryInterface for one interface when iid matches.
template <typename Interface>
bool Offer(REFIID iid, REFIID candidate, Interface* object, void** out) {
    if (!::IsEqualIID(iid, candidate)) return false;
    object->AddRef();
    *out = object;
    return true;
}

// The library's type library, loaded from the module's own resource.
ComPtr<ITypeLib> LibraryTypeLib();
// The type information of one class or interface of the library.
ComPtr<ITypeInfo> LibraryTypeInfo(REFGUID guid);

// IDispatch of a dual interface answered through the type library.
class TypeInfoDispatch {
public:
    explicit TypeInfoDispatch(REFIID dualIid);

    HRESULT GetTypeInfoCount(UINT* count) noexcept;
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) noexcept;
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) noexcept;
    // dual must be the object's pointer of that dual interface.
    HRESULT Invoke(void* dual, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                   UINT* argError) noexcept;
    // The dual interface answered for.
    REFIID Iid() const { return iid_; }

private:
    IID iid_;
    ComPtr<ITypeInfo> dispatchInfo_;  // what GetTypeInfo hands out
    ComPtr<ITypeInfo> vtableInfo_;    // what DispInvoke calls through
};

// IUnknown of a library object: its identity is its first base Primary, one
// reference count keeps it (and the module) alive, and QueryInterface
// answers IUnknown with Primary, then asks Derived's
// bool OfferInterface(REFIID, void**) for the rest. Derived befriends this
// class for OfferInterface and its private destructor. Constructor arguments
// go to Others, the further bases, of which at most one takes any.
template <typename Derived, typename Primary, typename... Others>
class ComObject : public Primary, public Others... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Primary* identity = this;
        if (Offer(iid, IID_IUnknown, identity, out) || static_cast<Derived*>(this)->OfferInterface(iid, out)) {
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = refs_.Drop();
        if (n == 0) delete static_cast<Derived*>(this);
        return n;
    }

protected:
    template <typename... Args>
    explicit ComObject(Args&&... args) : Others(std::forward<Args>(args)...)... {
        static_assert(sizeof...(Args) == 0 || sizeof...(Others) == 1, "arguments for one further base only");
    }
    ~ComObject() = default;

private:
    RefCount refs_;
};

// A ComObject whose identity is a dual interface: IDispatch and the dual
// interface's own IID answer with it too (Derived's OfferInterface calls
// OfferDual first), and IDispatch goes through the type library.
template <typename Derived, typename Dual, typename... Others>
class DualObject : public ComObject<Derived, Dual, Others...> {
public:
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
    template <typename... Args>
    explicit DualObject(REFIID dualIid, Args&&... args)
        : ComObject<Derived, Dual, Others...>(std::forward<Args>(args)...), dispatch_(dualIid) {}
    ~DualObject() = default;

    bool OfferDual(REFIID iid, void** out) {
        Dual* dual = this;
        return Offer(iid, IID_IDispatch, dual, out) || Offer(iid, dispatch_.Iid(), dual, out);
    }

private:
    TypeInfoDispatch dispatch_;
};

// A BSTR made from UTF-8 text; the caller owns it.
BSTR AllocBstr(const std::string& utf8);
// CoTaskMem copy of a wide text; the caller owns it.
LPOLESTR CoTaskCopy(const wchar_t* text);

}  // namespace flickon
