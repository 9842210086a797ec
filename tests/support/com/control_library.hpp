#pragma once
// A control's library as its tests meet it: loaded for the whole program, its exports
// called by name, and its control made by program id as a page's script makes it.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

namespace vexa::test {

using Microsoft::WRL::ComPtr;

class ControlLibrary {
public:
    // Null when the system could not load it.
    explicit ControlLibrary(const char* path) : module_(::LoadLibraryA(path)) {}
    HMODULE Module() const { return module_; }
    // E_NOTIMPL when the library does not export `name`.
    HRESULT CallExport(const char* name) const;

private:
    HMODULE module_;
};

ComPtr<IDispatch> CreateControl(const wchar_t* progId);

// Every test runs in a single-threaded apartment with OLE.
class OleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The library this test program is about (VEXA_OCX): loaded for the whole program and
// registered before each suite.
class ControlLibraryTest : public OleTest {
protected:
    static void SetUpTestSuite();

    static const ControlLibrary& Library();
    static HRESULT CallExport(const char* name) { return Library().CallExport(name); }
};

}  // namespace vexa::test
