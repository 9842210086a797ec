#pragma once
// The loader control's library as its tests meet it: loaded, registered, and its control
// made by program id and called by name as a page's script calls it.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/dispatch.hpp"

namespace vexa::test {

using Microsoft::WRL::ComPtr;

// The library stays loaded for the whole program and is registered once; every test
// runs in a single-threaded apartment.
class VexaLoadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    static HRESULT CallExport(const char* name);
    static ComPtr<IDispatch> CreateLoader();
};

// A COM object that lives on a test's stack: it answers for IUnknown and its one
// interface, and reference counts mean nothing to it.
template <class Interface, const IID& kInterfaceId>
class StackObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == kInterfaceId ? static_cast<Interface*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Calls `name` with `arguments` in declaration order; the result, or a failure status.
HRESULT CallByName(IDispatch* control, const std::string& name, WORD flags, const std::vector<Value>& arguments,
                   Value* result = nullptr);
Value Get(IDispatch* control, const std::string& name);
void Put(IDispatch* control, const std::string& name, const std::string& value);

// Runs the thread's messages until `done` or two seconds have passed.
bool PumpUntil(const std::function<bool()>& done);

}  // namespace vexa::test
