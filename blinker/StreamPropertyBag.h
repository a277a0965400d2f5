// The stream form of a control's properties (IPersistStreamInit): the same
// named entries the property bag gets, kept in memory and written to or read
// from a stream. Objects are stored through their own IPersistStream, so an
// object that cannot persist itself is refused on write, as a container's
// bag would refuse it.
//
// The format and its parser are portable (stream/ControlStream.h); this class
// moves the bytes between it and an IStream, never reading more than the
// stream really holds, and creates only picture objects from it.
#pragma once

#include <string>
#include <vector>

#include "ComSupport.h"
#include "stream/ControlStream.h"

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
    std::vector<stream::Entry> entries_;
};

}  // namespace flickon
