#pragma once
// What a browser asks before it scripts a control or initialises it from the page's
// parameters. Every control of this kit is safe for untrusted callers and untrusted data
// on its dispatch interface and both persistence interfaces, always: the options are
// supported and enabled, and a host may set them but never needs to.

#include <objsafe.h>
#include <ocidl.h>

namespace vexa::com {

inline constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

inline bool IsSafeInterface(REFIID iid) {
    return iid == IID_IDispatch || iid == IID_IPersistStreamInit || iid == IID_IPersistPropertyBag;
}

// The control's IUnknown answers for it.
class ObjectSafety : public IObjectSafety {
public:
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
        if (!supported || !enabled) return E_POINTER;
        *supported = *enabled = 0;
        if (!IsSafeInterface(iid)) return E_NOINTERFACE;
        *supported = *enabled = kSafeOptions;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD) override {
        if (!IsSafeInterface(iid)) return E_NOINTERFACE;
        return (mask & ~kSafeOptions) ? E_FAIL : S_OK;
    }
};

}  // namespace vexa::com
