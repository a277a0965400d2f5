// DllGetClassObject and the one class factory, driven by the class table.
#include <new>

#include "Classes.h"
#include "ComSupport.h"
#include "Flickon0100_idl.h"
#include "Module.h"
#include "Resources.h"

namespace flickon {

namespace {

constexpr ClassEntry kClasses[] = {
    {&CLSID_torFlickon, &CreateTorFlickon, L"torFlickon", kProgIdTorFlickon, true, IDB_TOOLBOX_FLICKON},
    {&CLSID_IconFrames, &CreateIconFrames, L"IconFrames", kProgIdIconFrames, false, 0},
    {&CLSID_torFlickon2, &CreateTorFlickon2, L"torFlickon2", kProgIdTorFlickon2, true, IDB_TOOLBOX_FLICKON2},
    {&CLSID_Fanservice, &CreateFanservice, L"Fanservice", kProgIdFanservice, false, 0},
};

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Guarded(IID_IClassFactory, [&] { return entry_.create(iid, out); });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? LockModule() : UnlockModule();
        return S_OK;
    }

private:
    friend ComObject;
    ~ClassFactory() = default;
    bool OfferInterface(REFIID iid, void** out) {
        return Offer(iid, IID_IClassFactory, static_cast<IClassFactory*>(this), out);
    }

    const ClassEntry& entry_;
};

}  // namespace

std::span<const ClassEntry> LibraryClasses() { return kClasses; }

}  // namespace flickon

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const flickon::ClassEntry& entry : flickon::LibraryClasses()) {
        if (!::IsEqualCLSID(clsid, *entry.clsid)) continue;
        auto* factory = new (std::nothrow) flickon::ClassFactory(entry);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}
