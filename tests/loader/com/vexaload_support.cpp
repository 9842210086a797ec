#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {

const ControlLibrary& VexaLoadTest::Library() {
    static const ControlLibrary library(VEXA_OCX);
    return library;
}

void VexaLoadTest::SetUpTestSuite() {
    ASSERT_NE(Library().Module(), nullptr) << VEXA_OCX;
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
}

}  // namespace vexa::test
