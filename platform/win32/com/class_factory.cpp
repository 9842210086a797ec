#include "platform/win32/com/class_factory.hpp"

#include "platform/win32/com/module_references.hpp"

namespace vexa::com {

ClassFactory::ClassFactory(CreateObject create) : create_(create) { AddModuleReference(); }

ClassFactory::~ClassFactory() { ReleaseModuleReference(); }

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG ClassFactory::Release() {
    LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// Controls cannot be aggregated.
HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock)
        AddModuleReference();
    else
        ReleaseModuleReference();
    return S_OK;
}

HRESULT GetClassFactory(CreateObject create, REFIID iid, void** object) {
    auto* factory = new ClassFactory(create);
    HRESULT status = factory->QueryInterface(iid, object);
    factory->Release();
    return status;
}

}  // namespace vexa::com
