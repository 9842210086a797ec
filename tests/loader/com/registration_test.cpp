#include <windows.h>

#include "common/registry_path.hpp"
#include "platform/win32/win32_components.hpp"
#include "platform/win32/win32_registry.hpp"
#include "tests/loader/com/vexaload_support.hpp"
#include "tests/support/com/registration_checks.hpp"

namespace vexa::test {
namespace {

const ControlIdentity kLoader = {"{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}", "VEXALOAD.VexaLoaderCtrl.1",
                                 "{34A98F04-88C6-4D8B-BBE3-6997E6BF0067}", "2.3",
                                 "VexaLoader ActiveX Control module",      "VEXALOAD.OCX"};
const std::string kPageClassId = "{7609FF82-2BE7-4639-9B3E-327287EF67BF}";
const std::string kPageProgId = "VEXALOAD.VexaLoaderPropPage.1";

constexpr auto kRoot = RegistryRoot::ClassesRoot;

using Registration = VexaLoadTest;

TEST_F(Registration, WritesTheClassItsPageAndTypeLibraryInBothSafetyCategories) {
    ExpectRegistered(kLoader);
    EXPECT_EQ(Win32Registry().ReadString(kRoot, {"CLSID", kPageClassId, "InprocServer32"}, "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(Win32Registry().ReadString(kRoot, {kPageProgId, "CLSID"}, ""), kPageClassId);
    EXPECT_EQ(Win32Components().FileVersion(VEXA_OCX), "2, 3, 0, 35");
}

TEST_F(Registration, TheControlIsSafeForScriptingAndInitialising) {
    ExpectSafeForScriptingAndInitialising(CreateLoader().Get());
}

TEST_F(Registration, UnregisteringRemovesTheClassesAndTheirProgramIds) {
    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    ExpectUnregistered(kLoader);
    for (const std::string& key : {"CLSID\\" + kPageClassId, kPageProgId})
        EXPECT_FALSE(Win32Registry().KeyExists(kRoot, SplitRegistryPath(key))) << key;
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK) << "registered again for the other tests";
}

TEST_F(Registration, TheLibraryUnloadsOnlyWhenNoControlLives) {
    {
        ComPtr<IDispatch> control = CreateLoader();
        EXPECT_EQ(CallExport("DllCanUnloadNow"), S_FALSE);
    }
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);
}

}  // namespace
}  // namespace vexa::test
