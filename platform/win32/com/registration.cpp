#include <windows.h>
#include <comcat.h>

#include "platform/win32/com/registration.hpp"

#include <vector>

#include "platform/win32/wide_text.hpp"

namespace vexa::com {
namespace {

// The standard identifiers of the two categories.
const CATID kSafeForScripting = {0x7DD95801, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
const CATID kSafeForInitializing = {0x7DD95802, 0x9882, 0x11CF, {0x9F, 0xA9, 0x00, 0xAA, 0x00, 0x6C, 0x42, 0xC4}};
constexpr LCID kEnglish = 0x0409;

using Key = std::vector<std::string>;

// COM may or may not be initialised on the caller's thread; either way the count balances.
class ComScope {
public:
    ComScope() : status_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(status_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT status_;
};

HRESULT EnsureCategory(ICatRegister& categories, const CATID& id, const wchar_t* description) {
    ICatInformation* information = nullptr;
    if (SUCCEEDED(categories.QueryInterface(IID_ICatInformation, reinterpret_cast<void**>(&information)))) {
        LPWSTR existing = nullptr;
        HRESULT found = information->GetCategoryDesc(id, kEnglish, &existing);
        information->Release();
        if (SUCCEEDED(found)) {
            ::CoTaskMemFree(existing);
            return S_OK;
        }
    }
    CATEGORYINFO category{};
    category.catid = id;
    category.lcid = kEnglish;
    ::lstrcpynW(category.szDescription, description, sizeof category.szDescription / sizeof(wchar_t));
    return categories.RegisterCategories(1, &category);
}

}  // namespace

std::string ThisModulePath() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ThisModulePath), &module);
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    int length = ::StringFromGUID2(guid, text, 40);
    return length > 0 ? AnsiFromWide({text, static_cast<std::size_t>(length - 1)}) : std::string();
}

bool RegisterServerClass(Registry& registry, const ServerClass& server, const std::string& modulePath) {
    const auto root = RegistryRoot::ClassesRoot;
    const Key server32{"CLSID", server.classId, "InprocServer32"};
    return registry.WriteString(root, Key{"CLSID", server.classId}, "", server.name) &&
           registry.WriteString(root, server32, "", modulePath) &&
           registry.WriteString(root, server32, "ThreadingModel", "Apartment") &&
           registry.WriteString(root, Key{"CLSID", server.classId, "ProgID"}, "", server.progId) &&
           registry.WriteString(root, Key{server.progId}, "", server.name) &&
           registry.WriteString(root, Key{server.progId, "CLSID"}, "", server.classId);
}

bool RegisterControlClass(Registry& registry, const ControlClass& control, const std::string& modulePath) {
    const auto root = RegistryRoot::ClassesRoot;
    auto below = [&](const char* name) { return Key{"CLSID", control.server.classId, name}; };
    return RegisterServerClass(registry, control.server, modulePath) && registry.CreateKey(root, below("Control")) &&
           registry.WriteString(root, below("TypeLib"), "", control.typeLibraryId) &&
           registry.WriteString(root, below("Version"), "", control.version) &&
           registry.WriteString(root, Key{"CLSID", control.server.classId, "MiscStatus", "1"}, "", control.miscStatus);
}

bool UnregisterServerClass(Registry& registry, const ServerClass& server) {
    const auto root = RegistryRoot::ClassesRoot;
    bool classGone = registry.DeleteKey(root, Key{"CLSID", server.classId});
    bool progIdGone = registry.DeleteKey(root, Key{server.progId});
    return classGone && progIdGone;
}

HRESULT RegisterSafeCategories(REFCLSID classId) {
    ComScope com;
    ICatRegister* categories = nullptr;
    HRESULT status = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ICatRegister, reinterpret_cast<void**>(&categories));
    if (FAILED(status)) return status;
    CATID implemented[] = {kSafeForScripting, kSafeForInitializing};
    status = EnsureCategory(*categories, kSafeForScripting, L"Controls that are safely scriptable");
    if (SUCCEEDED(status))
        status = EnsureCategory(*categories, kSafeForInitializing, L"Controls safely initializable from persistent data");
    if (SUCCEEDED(status)) status = categories->RegisterClassImplCategories(classId, 2, implemented);
    categories->Release();
    return status;
}

}  // namespace vexa::com
