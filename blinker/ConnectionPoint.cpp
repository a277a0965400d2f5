#include "ConnectionPoint.h"

#include <utility>

#include "Enumerators.h"

namespace flickon {

namespace {

struct ConnectionTraits {
    using Interface = IEnumConnections;
    using Element = CONNECTDATA;
    using Stored = std::pair<ComPtr<IUnknown>, DWORD>;
    static const IID& Iid() { return IID_IEnumConnections; }
    static void Copy(const Stored& from, CONNECTDATA* to) {
        to->pUnk = from.first.get();
        if (to->pUnk) to->pUnk->AddRef();
        to->dwCookie = from.second;
    }
};

struct PointTraits {
    using Interface = IEnumConnectionPoints;
    using Element = IConnectionPoint*;
    using Stored = ComPtr<IConnectionPoint>;
    static const IID& Iid() { return IID_IEnumConnectionPoints; }
    static void Copy(const Stored& from, IConnectionPoint** to) {
        *to = from.get();
        if (*to) (*to)->AddRef();
    }
};

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* owner, REFIID iid, bool acceptDispatch)
    : owner_(owner), iid_(iid), acceptDispatch_(acceptDispatch) {}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> out;
    out.reserve(sinks_.size());
    for (const auto& entry : sinks_) out.push_back(entry.second);
    return out;
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (Offer(iid, IID_IUnknown, this, out) || Offer(iid, IID_IConnectionPoint, this, out)) return S_OK;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    owner_->AddRef();
    *container = owner_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    return Guarded(IID_IConnectionPoint, [&]() -> HRESULT {
        ComPtr<IUnknown> wanted;
        if (FAILED(sink->QueryInterface(iid_, wanted.put_void())) && acceptDispatch_) {
            sink->QueryInterface(IID_IDispatch, wanted.put_void());
        }
        if (!wanted) return CONNECT_E_CANNOTCONNECT;
        const DWORD id = nextCookie_++;
        sinks_.emplace(id, std::move(wanted));
        *cookie = id;
        return S_OK;
    });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    const auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    ComPtr<IUnknown> sink = std::move(found->second);
    sinks_.erase(found);
    return S_OK;  // the sink is released here, after the map is consistent again
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded(IID_IConnectionPoint, [&]() -> HRESULT {
        std::vector<ConnectionTraits::Stored> items;
        for (const auto& entry : sinks_) items.emplace_back(entry.second, entry.first);
        return SnapshotEnumerator<ConnectionTraits>::Create(std::move(items), out);
    });
}

HRESULT EnumerateConnectionPoints(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded(IID_IConnectionPointContainer, [&]() -> HRESULT {
        std::vector<ComPtr<IConnectionPoint>> items;
        for (IConnectionPoint* p : points) items.push_back(ComPtr<IConnectionPoint>::Share(p));
        return SnapshotEnumerator<PointTraits>::Create(std::move(items), out);
    });
}

}  // namespace flickon
