#include "PropertyBagIo.h"

#include "outside/win32/Wide.h"

namespace flickon {

bool PropertyReader::Read(const wchar_t* name, VARTYPE wanted, VARIANT* value) noexcept {
    ::VariantInit(value);
    if (!bag_) return false;
    // The type asked for tells the bag what to make (objects must be asked
    // for as objects); what comes back is converted if needed.
    V_VT(value) = wanted;
    if (wanted == VT_DISPATCH) V_DISPATCH(value) = nullptr;
    if (FAILED(bag_->Read(name, value, log_))) {
        ::VariantInit(value);
        return false;
    }
    if (V_VT(value) == wanted) return true;
    if (wanted == VT_DISPATCH && V_VT(value) == VT_UNKNOWN) return true;
    if (FAILED(::VariantChangeType(value, value, 0, wanted))) {
        ::VariantClear(value);
        return false;
    }
    return true;
}

bool PropertyReader::ReadBool(const wchar_t* name, bool fallback) {
    outside::Variant value;
    if (!Read(name, VT_BOOL, value.get())) return fallback;
    return V_BOOL(value.get()) != VARIANT_FALSE;
}

long PropertyReader::ReadLong(const wchar_t* name, long fallback) {
    outside::Variant value;
    if (!Read(name, VT_I4, value.get())) return fallback;
    return V_I4(value.get());
}

ComPtr<IUnknown> PropertyReader::ReadObject(const wchar_t* name) {
    outside::Variant value;
    if (!Read(name, VT_DISPATCH, value.get())) return nullptr;
    IUnknown* object = V_VT(value.get()) == VT_DISPATCH ? V_DISPATCH(value.get()) : V_UNKNOWN(value.get());
    return ComPtr<IUnknown>::Share(object);
}

ComPtr<IPictureDisp> PropertyReader::ReadPicture(const wchar_t* name) {
    ComPtr<IUnknown> object = ReadObject(name);
    return object ? object.As<IPictureDisp>(IID_IPictureDisp) : nullptr;
}

void PropertyWriter::Write(const wchar_t* name, VARIANT* value) noexcept {
    if (bag_) bag_->Write(name, value);  // a failed write is skipped; the others still go
}

void PropertyWriter::WriteBool(const wchar_t* name, bool value, bool fallback) {
    if (value == fallback) return;
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    Write(name, &v);
}

void PropertyWriter::WriteLong(const wchar_t* name, long value, long fallback) {
    if (value == fallback) return;
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    Write(name, &v);
}

void PropertyWriter::WriteObject(const wchar_t* name, IUnknown* object) {
    if (!object) return;
    outside::Variant value;
    ComPtr<IDispatch> dispatch;
    if (SUCCEEDED(object->QueryInterface(IID_IDispatch, dispatch.put_void()))) {
        V_VT(value.get()) = VT_DISPATCH;
        V_DISPATCH(value.get()) = dispatch.detach();
    } else {
        object->AddRef();
        V_VT(value.get()) = VT_UNKNOWN;
        V_UNKNOWN(value.get()) = object;
    }
    Write(name, value.get());
}

void PropertyWriter::WriteText(const wchar_t* name, const std::string& text) {
    outside::Variant value;
    V_VT(value.get()) = VT_BSTR;
    V_BSTR(value.get()) = AllocBstr(text);
    Write(name, value.get());
}

}  // namespace flickon
