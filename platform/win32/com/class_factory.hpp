#pragma once
// A class factory over a function that makes one object of the class. Each factory and
// each lock on it keeps the library loaded.

#include <unknwn.h>

namespace vexa::com {

using CreateObject = HRESULT (*)(REFIID iid, void** object);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateObject create);
    ~ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    CreateObject create_;
    LONG references_ = 1;
};

// For DllGetClassObject: a new factory for `create`, as the interface `iid`.
HRESULT GetClassFactory(CreateObject create, REFIID iid, void** object);

}  // namespace vexa::com
