// A connection point that lives inside its control: it shares the control's
// reference count, keeps its sinks by cookie, and hands out a snapshot of
// them for firing, so a sink that unadvises (or releases the control) while
// an event runs cannot disturb the loop.
#pragma once

#include <map>
#include <vector>

#include "ComSupport.h"

namespace flickon {

class ConnectionPoint final : public IConnectionPoint {
public:
    // acceptDispatch: sinks that only answer IDispatch are taken as well (event
    // dispinterfaces); otherwise a sink must answer iid itself.
    ConnectionPoint(IConnectionPointContainer* owner, REFIID iid, bool acceptDispatch);
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // The advised sinks, each as the interface it was advised for.
    std::vector<ComPtr<IUnknown>> Sinks() const;
    REFIID Iid() const { return iid_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

private:
    IConnectionPointContainer* owner_;
    IID iid_;
    bool acceptDispatch_;
    std::map<DWORD, ComPtr<IUnknown>> sinks_;
    DWORD nextCookie_ = 1;
};

// IEnumConnectionPoints over a control's points.
HRESULT EnumerateConnectionPoints(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** out);

}  // namespace flickon
