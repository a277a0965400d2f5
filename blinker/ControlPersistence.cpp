// The control's properties through the container's property bag and, for
// hosts that store controls in streams, through IPersistStreamInit.
#include "ControlBase.h"
#include "StreamPropertyBag.h"

namespace flickon {

HRESULT ControlBase::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = *description_.clsid;
    return S_OK;
}

HRESULT ControlBase::InitNew() {
    return Guarded(IID_IPersistPropertyBag, [&]() -> HRESULT {
        InitProperties();
        dirty_ = false;
        return S_OK;
    });
}

HRESULT ControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return Guarded(IID_IPersistPropertyBag, [&]() -> HRESULT {
        PropertyReader reader(bag, log);
        ReadProperties(reader);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT ControlBase::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return Guarded(IID_IPersistPropertyBag, [&]() -> HRESULT {
        PropertyWriter writer(bag);
        WriteProperties(writer);
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

HRESULT ControlBase::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    return Guarded(IID_IPersistStreamInit, [&]() -> HRESULT {
        StreamPropertyBag bag;
        try {
            bag.LoadFrom(stream);
        } catch (...) {
            // Not our data at all: stay a new instance and say so.
            InitProperties();
            dirty_ = false;
            throw;
        }
        PropertyReader reader(&bag, nullptr);
        ReadProperties(reader);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT ControlBase::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    return Guarded(IID_IPersistStreamInit, [&]() -> HRESULT {
        StreamPropertyBag bag;
        PropertyWriter writer(&bag);
        WriteProperties(writer);
        bag.SaveTo(stream);
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

HRESULT ControlBase::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    return Guarded(IID_IPersistStreamInit, [&]() -> HRESULT {
        StreamPropertyBag bag;
        PropertyWriter writer(&bag);
        WriteProperties(writer);
        ComPtr<IStream> memory;
        Check(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()), "CreateStreamOnHGlobal");
        bag.SaveTo(memory.get());
        ULARGE_INTEGER end{};
        Check(memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end), "IStream::Seek");
        *size = end;
        return S_OK;
    });
}

}  // namespace flickon
