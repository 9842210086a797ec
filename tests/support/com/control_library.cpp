#include "tests/support/com/control_library.hpp"

#include <ole2.h>

namespace vexa::test {

HRESULT ControlLibrary::CallExport(const char* name) const {
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    return entry ? entry() : E_NOTIMPL;
}

ComPtr<IDispatch> CreateControl(const wchar_t* progId) {
    CLSID classId{};
    ComPtr<IDispatch> control;
    EXPECT_EQ(::CLSIDFromProgID(progId, &classId), S_OK);
    EXPECT_EQ(::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
    return control;
}

void OleTest::SetUp() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }

void OleTest::TearDown() { ::OleUninitialize(); }

const ControlLibrary& ControlLibraryTest::Library() {
    static const ControlLibrary library(VEXA_OCX);
    return library;
}

void ControlLibraryTest::SetUpTestSuite() {
    ASSERT_NE(Library().Module(), nullptr) << VEXA_OCX;
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
}

}  // namespace vexa::test
