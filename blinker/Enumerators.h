// One enumerator shape for the three IEnumXxx interfaces the library hands
// out (frames, connection points, connections): it walks a snapshot taken
// when it was made, so changes to the source while a client iterates can
// neither invalidate it nor be half seen. Clones share the snapshot.
#pragma once

#include <memory>
#include <new>
#include <vector>

#include "ComSupport.h"

namespace flickon {

// Traits: Interface (the IEnumXxx), Element (what Next fills), Stored (what
// the snapshot keeps), static const IID& Iid(), static void Copy(const
// Stored&, Element*) (a new reference in the element).
template <typename Traits>
class SnapshotEnumerator final : public ComObject<SnapshotEnumerator<Traits>, typename Traits::Interface> {
    using Interface = typename Traits::Interface;
    using Element = typename Traits::Element;
    using Stored = typename Traits::Stored;
    using Items = std::vector<Stored>;

public:
    static HRESULT Create(std::vector<Stored> items, Interface** out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new SnapshotEnumerator(std::make_shared<const Items>(std::move(items)), 0);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Element* elements, ULONG* fetched) override {
        if (!elements || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        while (done < count && position_ < items_->size()) {
            Traits::Copy((*items_)[position_++], &elements[done++]);
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = items_->size() - position_;
        if (count > left) {
            position_ = items_->size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new SnapshotEnumerator(items_, position_);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    friend ComObject<SnapshotEnumerator, Interface>;
    SnapshotEnumerator(std::shared_ptr<const Items> items, size_t position)
        : items_(std::move(items)), position_(position) {}
    ~SnapshotEnumerator() = default;
    bool OfferInterface(REFIID iid, void** out) {
        return Offer(iid, Traits::Iid(), static_cast<Interface*>(this), out);
    }

    std::shared_ptr<const Items> items_;
    size_t position_;
};

}  // namespace flickon
