#include "tests/support/com/registration_checks.hpp"

#include <windows.h>
#include <comcat.h>
#include <objsafe.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/registry_path.hpp"
#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_registry.hpp"

namespace vexa::test {
namespace {

using Microsoft::WRL::ComPtr;
using Key = std::vector<std::string>;
constexpr auto kRoot = RegistryRoot::ClassesRoot;

const CATID kSafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kSafeForInitializing = {0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};

std::string Read(const Key& key, const std::string& name = "") {
    return Win32Registry().ReadString(kRoot, key, name).value_or("<missing>");
}

void ExpectInSafeCategories(const std::string& classId) {
    CLSID id{};
    ASSERT_EQ(::CLSIDFromString(WideFromAnsi(classId).c_str(), &id), S_OK);
    ComPtr<ICatInformation> categories;
    ASSERT_EQ(
        ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&categories)),
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
        EXPECT_EQ(categories->IsClassOfCategories(id, 1, implemented, 0, required), S_OK);
    }
}

}  // namespace

void ExpectRegistered(const ControlIdentity& control) {
    const std::string& id = control.classId;
    const struct {
        Key key;
        std::string name;
        std::string value;
    } cases[] = {
        {{"CLSID", id, "InprocServer32"}, "ThreadingModel", "Apartment"},
        {{"CLSID", id, "ProgID"}, "", control.progId},
        {{"CLSID", id, "TypeLib"}, "", control.libraryId},
        {{"CLSID", id, "Version"}, "", control.version},
        {{control.progId, "CLSID"}, "", id},
        {{"TypeLib", control.libraryId, control.version}, "", control.libraryName},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.key, c.name), c.value) << c.key.back();
    EXPECT_NE(Read({"CLSID", id, "InprocServer32"}).find(control.file), std::string::npos);
    EXPECT_TRUE(Win32Registry().KeyExists(kRoot, {"CLSID", id, "Control"}));
    ExpectInSafeCategories(id);
}

void ExpectUnregistered(const ControlIdentity& control) {
    for (const std::string& key : {"CLSID\\" + control.classId, control.progId})
        EXPECT_FALSE(Win32Registry().KeyExists(kRoot, SplitRegistryPath(key))) << key;
    CLSID classId{};
    EXPECT_NE(::CLSIDFromProgID(WideFromAnsi(control.progId).c_str(), &classId), S_OK);
}

void ExpectSafeForScriptingAndInitialising(IDispatch* control) {
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())), S_OK);
    const DWORD safe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    for (const IID& iid : {IID_IDispatch, IID_IPersistStreamInit, IID_IPersistPropertyBag}) {
        DWORD supported = 0, enabled = 0;
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(iid, &supported, &enabled), S_OK);
        EXPECT_EQ(supported, safe);
        EXPECT_EQ(enabled, safe);
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(iid, safe, safe), S_OK);
    }
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IOleObject, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x4, 0x4), E_FAIL) << "an option it does not know";
}

}  // namespace vexa::test
