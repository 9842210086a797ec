#include <windows.h>
#include <comcat.h>

#include "common/registry_path.hpp"
#include "platform/win32/win32_components.hpp"
#include "platform/win32/win32_registry.hpp"
#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

const std::string kClassId = "{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}";
const std::string kProgId = "VEXALOAD.VexaLoaderCtrl.1";
const std::string kPageClassId = "{7609FF82-2BE7-4639-9B3E-327287EF67BF}";
const std::string kPageProgId = "VEXALOAD.VexaLoaderPropPage.1";
const CLSID kClass = {0x5A7E1C42, 0x3B9D, 0x4F60, {0x8E, 0x21, 0xC7, 0xD4, 0xA9, 0xB0, 0x3F, 0x15}};
const CATID kSafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kSafeForInitializing = {0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};

using Key = std::vector<std::string>;
constexpr auto kRoot = RegistryRoot::ClassesRoot;

std::string Read(const Key& key, const std::string& name = "") {
    return Win32Registry().ReadString(kRoot, key, name).value_or("<missing>");
}

using Registration = VexaLoadTest;

TEST_F(Registration, WritesTheClassItsProgramIdAndTypeLibrary) {
    const struct {
        Key key;
        std::string name;
        std::string value;
    } cases[] = {
        {{"CLSID", kClassId, "InprocServer32"}, "ThreadingModel", "Apartment"},
        {{"CLSID", kClassId, "ProgID"}, "", kProgId},
        {{"CLSID", kClassId, "TypeLib"}, "", "{34A98F04-88C6-4D8B-BBE3-6997E6BF0067}"},
        {{"CLSID", kClassId, "Version"}, "", "2.3"},
        {{kProgId, "CLSID"}, "", kClassId},
        {{"CLSID", kPageClassId, "InprocServer32"}, "ThreadingModel", "Apartment"},
        {{kPageProgId, "CLSID"}, "", kPageClassId},
        {{"TypeLib", "{34A98F04-88C6-4D8B-BBE3-6997E6BF0067}", "2.3"}, "", "VexaLoader ActiveX Control module"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.key, c.name), c.value) << c.key.back();
    EXPECT_NE(Read({"CLSID", kClassId, "InprocServer32"}).find("VEXALOAD.OCX"), std::string::npos);
    EXPECT_TRUE(Win32Registry().KeyExists(kRoot, {"CLSID", kClassId, "Control"}));
    EXPECT_EQ(Win32Components().FileVersion(VEXA_LOADER_OCX), "2, 3, 0, 35");
}

TEST_F(Registration, CreatesBothSafetyCategoriesAndPutsTheClassInThem) {
    ComPtr<ICatInformation> categories;
    ASSERT_EQ(::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&categories)),
              S_OK);
    const std::pair<CATID, const wchar_t*> expected[] = {
        {kSafeForScripting, L"Controls that are safely scriptable"},
        {kSafeForInitializing, L"Controls safely initializable from persistent data"},
    };
    for (const auto& [category, description] : expected) {
        LPWSTR text = nullptr;
        ASSERT_EQ(categories->GetCategoryDesc(category, 0x409, &text), S_OK);
        EXPECT_STREQ(text, description);
        ::CoTaskMemFree(text);
        CATID implemented[] = {category};
        CATID required[] = {category};
        EXPECT_EQ(categories->IsClassOfCategories(kClass, 1, implemented, 0, required), S_OK);
    }
}

TEST_F(Registration, UnregisteringRemovesTheClassesAndTheirProgramIds) {
    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    for (const std::string& key : {"CLSID\\" + kClassId, kProgId, "CLSID\\" + kPageClassId, kPageProgId})
        EXPECT_FALSE(Win32Registry().KeyExists(kRoot, SplitRegistryPath(key))) << key;
    CLSID classId{};
    EXPECT_NE(::CLSIDFromProgID(L"VEXALOAD.VexaLoaderCtrl.1", &classId), S_OK);
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
