#include "platform/win32/com/event_connection_point.hpp"

#include <olectl.h>

#include "platform/win32/com/variant_value.hpp"

namespace vexa::com {

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer& container, const IID& events)
    : container_(container), events_(events) {}

EventConnectionPoint::~EventConnectionPoint() {
    for (auto& [cookie, sink] : sinks_) sink->Release();
}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG EventConnectionPoint::AddRef() { return container_.AddRef(); }

ULONG EventConnectionPoint::Release() { return container_.Release(); }

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = &container_;
    container_.AddRef();
    return S_OK;
}

// A sink is any IDispatch: scripting hosts hand one that answers for no named interface.
HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, dispatch);
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first != cookie) continue;
        IDispatch* sink = it->second;
        sinks_.erase(it);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

// A sink may unadvise while it handles the event, so the call goes to a held copy.
void EventConnectionPoint::Raise(const EventEntry& event, const std::vector<Value>& arguments) {
    std::vector<VARIANT> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) ValueToVariant(arguments[i], &reversed[arguments.size() - 1 - i]);
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    std::vector<IDispatch*> sinks;
    for (auto& [cookie, sink] : sinks_) {
        sink->AddRef();
        sinks.push_back(sink);
    }
    for (IDispatch* sink : sinks) {
        sink->Invoke(event.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
    for (VARIANT& argument : reversed) ::VariantClear(&argument);
}

}  // namespace vexa::com
