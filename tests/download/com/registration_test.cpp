#include <ocidl.h>

#include "download/dnld_dispatch.hpp"
#include "platform/win32/win32_components.hpp"
#include "tests/download/com/vexadnld_support.hpp"
#include "tests/support/com/registration_checks.hpp"
#include "tests/support/com/type_library_members.hpp"

namespace vexa::test {
namespace {

const ControlIdentity kDownloadControl = {std::string(download::kVexaDnldClassId),
                                          std::string(download::kVexaDnldProgId),
                                          "{8A957FA1-30A6-4C13-AE29-09860A130219}",
                                          "1.0",
                                          "VexaDnld ActiveX Control module",
                                          "VEXADNLD.OCX"};

using Registration = VexaDnldTest;

TEST_F(Registration, WritesTheClassAndTypeLibraryInBothSafetyCategories) {
    ExpectRegistered(kDownloadControl);
    EXPECT_EQ(Win32Components().FileVersion(VEXA_OCX), "1, 0, 0, 1");
}

// It keeps no stored properties, so it offers no page to edit them.
TEST_F(Registration, TheControlIsSafeForPagesAndHasNoPropertyPage) {
    ComPtr<IDispatch> control = CreateDownloadControl();
    ExpectSafeForScriptingAndInitialising(control.Get());
    ComPtr<ISpecifyPropertyPages> pages;
    EXPECT_EQ(control.As(&pages), E_NOINTERFACE);
}

TEST_F(Registration, TheTypeLibraryDescribesExactlyTheDispatchTable) {
    ExpectTypeLibraryDescribes(CreateDownloadControl().Get(), download::VexaDnldDispatch());
}

TEST_F(Registration, UnregisteringRemovesTheClassAndItsProgramId) {
    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    ExpectUnregistered(kDownloadControl);
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK) << "registered again for the other tests";
}

}  // namespace
}  // namespace vexa::test
