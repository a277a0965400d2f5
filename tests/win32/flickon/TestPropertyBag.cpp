#include "TestPropertyBag.h"

namespace flktest {

using outside::ComPtr;

ComPtr<TestPropertyBag> TestPropertyBag::Create() { return ComPtr<TestPropertyBag>::Attach(new TestPropertyBag()); }

TestPropertyBag::~TestPropertyBag() {
    for (auto& entry : values_) ::VariantClear(&entry.second.plain);
}

HRESULT TestPropertyBag::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyBag) return E_NOINTERFACE;
    *out = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
}

ULONG TestPropertyBag::Release() {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

VARIANT TestPropertyBag::Value(const std::wstring& name) const {
    VARIANT v;
    ::VariantInit(&v);
    const auto found = values_.find(name);
    if (found == values_.end()) {
        V_VT(&v) = VT_ERROR;
        return v;
    }
    ::VariantCopy(&v, const_cast<VARIANT*>(&found->second.plain));
    return v;
}

void TestPropertyBag::Set(const std::wstring& name, const VARIANT& value) {
    Stored& s = values_[name];
    ::VariantClear(&s.plain);
    ::VariantCopy(&s.plain, const_cast<VARIANT*>(&value));
    s.isObject = false;
}

HRESULT TestPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (failWrites.count(name)) {
        refused.push_back(name);
        return E_FAIL;
    }
    Stored s;
    if (V_VT(value) == VT_DISPATCH || V_VT(value) == VT_UNKNOWN) {
        IUnknown* object = V_VT(value) == VT_DISPATCH ? V_DISPATCH(value) : V_UNKNOWN(value);
        ComPtr<IPersistStream> persist;
        ComPtr<IStream> stream;
        HGLOBAL memory = nullptr;
        if (!object || FAILED(object->QueryInterface(IID_IPersistStream, persist.put_void())) ||
            FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
            FAILED(::OleSaveToStream(persist.get(), stream.get())) ||
            FAILED(::GetHGlobalFromStream(stream.get(), &memory))) {
            refused.push_back(name);
            return E_FAIL;  // as a container's bag refuses an object that cannot persist itself
        }
        ULARGE_INTEGER end{};
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
        const BYTE* bytes = static_cast<const BYTE*>(::GlobalLock(memory));
        s.objectBytes.assign(bytes, bytes + end.QuadPart);
        ::GlobalUnlock(memory);
        s.isObject = true;
    } else if (FAILED(::VariantCopy(&s.plain, value))) {
        refused.push_back(name);
        return E_FAIL;
    }
    Stored& slot = values_[name];
    ::VariantClear(&slot.plain);
    slot = s;
    written.push_back(name);
    return S_OK;
}

HRESULT TestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (failReads.count(name)) return E_FAIL;
    const auto found = values_.find(name);
    if (found == values_.end()) return E_INVALIDARG;
    const Stored& s = found->second;
    if (!s.isObject) {
        ::VariantInit(value);
        return ::VariantCopy(value, const_cast<VARIANT*>(&s.plain));
    }
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return E_OUTOFMEMORY;
    ULONG done = 0;
    stream->Write(s.objectBytes.data(), static_cast<ULONG>(s.objectBytes.size()), &done);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ComPtr<IDispatch> object;
    const HRESULT hr = ::OleLoadFromStream(stream.get(), IID_IDispatch, object.put_void());
    if (FAILED(hr)) return hr;
    V_VT(value) = VT_DISPATCH;
    V_DISPATCH(value) = object.detach();
    return S_OK;
}

}  // namespace flktest
