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

class IconFrames final : public DualObject<IconFrames, _IconFrames, ISupportErrorInfo> {
public:
    IconFrames() : DualObject(IID__IconFrames) {}

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
    friend ComObject;
    ~IconFrames() = default;
    bool OfferInterface(REFIID iid, void** out) {
        return OfferDual(iid, out) || Offer(iid, IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this), out);
    }

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

    std::vector<ComPtr<IPictureDisp>> frames_;
};

}  // namespace

ComPtr<_IconFrames> NewIconFrames() { return ComPtr<_IconFrames>::Attach(new IconFrames()); }

HRESULT CreateIconFrames(REFIID iid, void** out) { return NewIconFrames()->QueryInterface(iid, out); }

}  // namespace flickon
