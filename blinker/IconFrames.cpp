// IconFrames keeps picture references in order; frames may repeat and may be
// none. Public indices are 0-based. It has no persistence of its own: hosts
// fill it at run time.
#include "IconFrames.h"

#include <climits>
#include <vector>

#include "Classes.h"
#include "Enumerators.h"

namespace flickon {

namespace {

constexpr char kSource[] = "IconFrames";

struct FrameTraits {
    using Interface = IEnumVARIANT;
    using Element = VARIANT;
    using Stored = ComPtr<IPictureDisp>;
    static const IID& Iid() { return IID_IEnumVARIANT; }
    static void Copy(const Stored& from, VARIANT* to) {
        ::VariantInit(to);
        V_VT(to) = VT_DISPATCH;
        V_DISPATCH(to) = ComPtr<IPictureDisp>(from).detach();
    }
};

class IconFrames final : public _IconFrames, public ISupportErrorInfo {
public:
    IconFrames() : dispatch_(IID__IconFrames) {}
    IconFrames(const IconFrames&) = delete;
    IconFrames& operator=(const IconFrames&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        _IconFrames* dual = this;
        if (Offer(iid, IID_IUnknown, dual, out) || Offer(iid, IID_IDispatch, dual, out) ||
            Offer(iid, IID__IconFrames, dual, out) ||
            Offer(iid, IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this), out)) {
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = refs_.Drop();
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return dispatch_.GetTypeInfo(index, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_.GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argError) override {
        return dispatch_.Invoke(static_cast<_IconFrames*>(this), id, flags, params, result, excep, argError);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return ::IsEqualIID(iid, IID__IconFrames) ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Clear() override {
        std::vector<ComPtr<IPictureDisp>> old;
        old.swap(frames_);  // released after the collection is consistent again
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Count(long* value) override {
        if (!value) return E_POINTER;
        *value = static_cast<long>(frames_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RemoveFrame(long index) override {
        return Guarded(IID__IconFrames, [&]() -> HRESULT {
            const size_t at = Position(index);
            ComPtr<IPictureDisp> removed = std::move(frames_[at]);
            frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(at));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_Item(long index, IPictureDisp** value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        return Guarded(IID__IconFrames, [&]() -> HRESULT {
            *value = ComPtr<IPictureDisp>(frames_[Position(index)]).detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE AddFrame(IPictureDisp* icon) override {
        return Guarded(IID__IconFrames, [&]() -> HRESULT {
            frames_.push_back(ComPtr<IPictureDisp>::Share(icon));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        return Guarded(IID__IconFrames, [&]() -> HRESULT {
            IEnumVARIANT* enumerator = nullptr;
            const HRESULT hr = SnapshotEnumerator<FrameTraits>::Create(frames_, &enumerator);
            *value = enumerator;
            return hr;
        });
    }

private:
    ~IconFrames() = default;

    // The 0-based public index as a position in frames_. The 1-based inner
    // position is Index + 1, which overflows for the largest index before
    // any range check.
    size_t Position(long index) const {
        if (index == LONG_MAX) RaiseError(kErrOverflow, kSource);
        const long inner = index + 1;
        if (inner < 1 || static_cast<unsigned long>(inner) > frames_.size()) {
            RaiseError(kErrSubscriptOutOfRange, kSource);
        }
        return static_cast<size_t>(inner - 1);
    }

    RefCount refs_;
    TypeInfoDispatch dispatch_;
    std::vector<ComPtr<IPictureDisp>> frames_;
};

}  // namespace

ComPtr<_IconFrames> NewIconFrames() { return ComPtr<_IconFrames>::Attach(new IconFrames()); }

HRESULT CreateIconFrames(REFIID iid, void** out) { return NewIconFrames()->QueryInterface(iid, out); }

}  // namespace flickon
