#include <ocidl.h>

#include "cabinet/cab_dispatch.hpp"
#include "platform/win32/win32_components.hpp"
#include "tests/cabinet/com/vexacb_support.hpp"
#include "tests/support/com/registration_checks.hpp"
#include "tests/support/com/type_library_members.hpp"

namespace vexa::test {
namespace {

const ControlIdentity kCabinetControl = {std::string(kVexaCBClassId),       std::string(kVexaCBProgId),
                                         "{4B62EB27-1DCC-4019-92D9-172473F56DDF}", "1.0",
                                         "VexaCB ActiveX Control module",          "VEXACB.OCX"};

using Registration = VexaCBTest;

TEST_F(Registration, WritesTheClassAndTypeLibraryInBothSafetyCategories) {
    ExpectRegistered(kCabinetControl);
    EXPECT_EQ(Win32Components().FileVersion(VEXA_OCX), "1, 0, 0, 1");
}

// It keeps no stored properties, so it offers no page to edit them.
TEST_F(Registration, TheControlIsSafeForPagesAndHasNoPropertyPage) {
    ComPtr<IDispatch> control = CreateCabinetControl();
    ExpectSafeForScriptingAndInitialising(control.Get());
    ComPtr<ISpecifyPropertyPages> pages;
    EXPECT_EQ(control.As(&pages), E_NOINTERFACE);
}

TEST_F(Registration, TheTypeLibraryDescribesExactlyTheDispatchTable) {
    ExpectTypeLibraryDescribes(CreateCabinetControl().Get(), VexaCBDispatch());
}

TEST_F(Registration, UnregisteringRemovesTheClassAndItsProgramId) {
    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    ExpectUnregistered(kCabinetControl);
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK) << "registered again for the other tests";
}

}  // namespace
}  // namespace vexa::test
