#pragma once
// What the four exports of a library that serves one control do: class objects for the
// control (and its property page, when it has one), self-registration and its undoing.
// Beside what OleControl needs, `Class` names
//   kName             "VexaLoader": the class is "VexaLoader Control", its page
//                     "VexaLoader Property Page"
//   ProgId(), LibraryId() (its type library)
//   kPageProgId, Page() (the PageDescription), with PageClassId(), if it has a page

#include <windows.h>
#include <olectl.h>

#include <string>

#include "platform/win32/com/class_factory.hpp"
#include "platform/win32/com/module_references.hpp"
#include "platform/win32/com/ole_control.hpp"
#include "platform/win32/com/property_page.hpp"
#include "platform/win32/com/registration.hpp"
#include "platform/win32/com/type_library.hpp"
#include "platform/win32/win32_registry.hpp"

namespace vexa::com {

template <typename Class>
class ControlLibrary {
public:
    static HRESULT CanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

    static HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** object) {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (classId == Class::ClassId()) return GetClassFactory(&OleControl<Class>::Create, iid, object);
        if constexpr (HasPropertyPage<Class>)
            if (classId == Class::PageClassId()) return GetClassFactory(&CreatePage, iid, object);
        return CLASS_E_CLASSNOTAVAILABLE;
    }

    // The type library, the classes and program ids, then the safety categories.
    static HRESULT Register() {
        const std::string path = ThisModulePath();
        if (FAILED(RegisterTypeLibrary(path))) return SELFREG_E_TYPELIB;
        Win32Registry registry;
        if (!RegisterControlClass(registry, Control(), path)) return SELFREG_E_CLASS;
        if constexpr (HasPropertyPage<Class>)
            if (!RegisterServerClass(registry, Page(), path)) return SELFREG_E_CLASS;
        return RegisterSafeCategories(Class::ClassId());
    }

    static HRESULT Unregister() {
        Win32Registry registry;
        bool gone = UnregisterServerClass(registry, Control().server);
        if constexpr (HasPropertyPage<Class>) gone = UnregisterServerClass(registry, Page()) && gone;
        return gone ? S_OK : SELFREG_E_CLASS;
    }

private:
    static ControlClass Control() {
        return {{GuidText(Class::ClassId()), std::string(Class::kName) + " Control", std::string(Class::ProgId())},
                GuidText(Class::LibraryId()),
                std::to_string(Class::kVersion.major) + "." + std::to_string(Class::kVersion.minor),
                std::to_string(Class::kMiscStatus)};
    }

    static ServerClass Page() {
        return {GuidText(Class::PageClassId()), std::string(Class::kName) + " Property Page",
                std::string(Class::kPageProgId)};
    }

    static HRESULT CreatePage(REFIID iid, void** object) { return PropertyPage::Create(Class::Page(), iid, object); }
};

}  // namespace vexa::com

// The four entry points of a library whose one control is `Class`: one use in the library's
// own file, where its .def file exports them.
#define VEXA_CONTROL_LIBRARY_ENTRY_POINTS(Class)                                                  \
    extern "C" {                                                                                   \
    STDAPI DllCanUnloadNow() { return ::vexa::com::ControlLibrary<Class>::CanUnloadNow(); }        \
    STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {                       \
        return ::vexa::com::ControlLibrary<Class>::GetClassObject(classId, iid, object);           \
    }                                                                                              \
    STDAPI DllRegisterServer() { return ::vexa::com::ControlLibrary<Class>::Register(); }          \
    STDAPI DllUnregisterServer() { return ::vexa::com::ControlLibrary<Class>::Unregister(); }      \
    }
