#pragma once
// The one connection point of a control: clients advise their sinks for the control's
// event dispinterface, and the control's events (an EventSink) call every sink's Invoke
// with the event's dispatch id and arguments. Its lifetime is its container's.

#include <ocidl.h>

#include <utility>
#include <vector>

#include "common/dispatch.hpp"

namespace vexa::com {

class EventConnectionPoint final : public IConnectionPoint, public EventSink {
public:
    EventConnectionPoint(IConnectionPointContainer& container, const IID& events);
    ~EventConnectionPoint() override;
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override;

private:
    IConnectionPointContainer& container_;
    IID events_;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace vexa::com
