// The loader control's library: its class object and self-registration.

#include <windows.h>
#include <initguid.h>

#include "loader/com/vexa_loader_class.hpp"
#include "platform/win32/com/class_factory.hpp"
#include "platform/win32/com/property_page.hpp"
#include "platform/win32/com/ole_control.hpp"
#include "platform/win32/com/registration.hpp"
#include "platform/win32/com/type_library.hpp"
#include "platform/win32/win32_registry.hpp"

namespace {

using vexa::loader::VexaLoaderClass;
using Control = vexa::com::OleControl<VexaLoaderClass>;

// The errors self-registration reports for its type library and its class.
constexpr HRESULT kTypeLibraryError = static_cast<HRESULT>(0x80040200);
constexpr HRESULT kClassError = static_cast<HRESULT>(0x80040201);

vexa::com::ControlClass Registration() {
    return {{vexa::com::GuidText(CLSID_VexaLoader), "VexaLoader Control", std::string(vexa::loader::kVexaLoaderProgId)},
            vexa::com::GuidText(LIBID_VEXALOADLib),
            std::to_string(VexaLoaderClass::kVersion.major) + "." + std::to_string(VexaLoaderClass::kVersion.minor),
            std::to_string(VexaLoaderClass::kMiscStatus)};
}

vexa::com::ServerClass PageRegistration() {
    return {vexa::com::GuidText(vexa::loader::kPageClassId), "VexaLoader Property Page",
            std::string(vexa::loader::kVexaLoaderPageProgId)};
}

HRESULT CreatePage(REFIID iid, void** object) {
    return vexa::com::PropertyPage::Create(VexaLoaderClass::Page(), iid, object);
}

}  // namespace

extern "C" {

STDAPI DllCanUnloadNow() { return vexa::com::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (classId == CLSID_VexaLoader) return vexa::com::GetClassFactory(&Control::Create, iid, object);
    if (classId == vexa::loader::kPageClassId) return vexa::com::GetClassFactory(&CreatePage, iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    const std::string path = vexa::com::ThisModulePath();
    if (FAILED(vexa::com::RegisterTypeLibrary(path))) return kTypeLibraryError;
    vexa::Win32Registry registry;
    if (!vexa::com::RegisterControlClass(registry, Registration(), path) ||
        !vexa::com::RegisterServerClass(registry, PageRegistration(), path))
        return kClassError;
    return vexa::com::RegisterSafeCategories(CLSID_VexaLoader);
}

STDAPI DllUnregisterServer() {
    vexa::Win32Registry registry;
    bool controlGone = vexa::com::UnregisterServerClass(registry, Registration().server);
    bool pageGone = vexa::com::UnregisterServerClass(registry, PageRegistration());
    return controlGone && pageGone ? S_OK : kClassError;
}

}  // extern "C"
