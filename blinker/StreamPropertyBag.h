// The stream form of a control's properties (IPersistStreamInit): the same
// named entries the property bag gets, kept in memory and written to or read
// from a stream. Objects are stored through their own IPersistStream, so an
// object that cannot persist itself is refused on write, as a container's
// bag would refuse it.
//
// Format, little-endian: "FLKB", version (uint32 = 1), byte length of the
// rest (uint32), entry count (uint32); each entry: name length in UTF-16 units (uint32), the name, VARTYPE
// (uint16), then VT_BOOL int16 / VT_I4 int32 / VT_BSTR length + UTF-16 /
// VT_UNKNOWN byte count (uint32) + the OleSaveToStream bytes.
#pragma once

#include <string>
#include <vector>

#include "ComSupport.h"

namespace flickon {

// Used on the stack by the control only; it is never handed to other code,
// so its reference count is a formality.
class StreamPropertyBag final : public IPropertyBag {
public:
    StreamPropertyBag() = default;
    StreamPropertyBag(const StreamPropertyBag&) = delete;
    StreamPropertyBag& operator=(const StreamPropertyBag&) = delete;

    // Throws a run-time error when the stream does not hold such a bag.
    void LoadFrom(IStream* stream);
    void SaveTo(IStream* stream) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

private:
    struct Entry {
        std::wstring name;
        VARTYPE type = VT_EMPTY;
        long number = 0;             // VT_BOOL (0 or -1) and VT_I4
        std::wstring text;           // VT_BSTR
        std::vector<BYTE> object;    // VT_UNKNOWN: the object's saved form
    };

    std::vector<Entry> entries_;
};

}  // namespace flickon
