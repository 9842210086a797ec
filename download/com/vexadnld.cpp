// The download control's library: its class object and self-registration.

#include <windows.h>
#include <initguid.h>

#include "download/com/vexa_dnld_class.hpp"
#include "platform/win32/com/control_library.hpp"

namespace {

using Library = vexa::com::ControlLibrary<vexa::download::VexaDnldClass>;

}  // namespace

extern "C" {

STDAPI DllCanUnloadNow() { return Library::CanUnloadNow(); }
STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    return Library::GetClassObject(classId, iid, object);
}
STDAPI DllRegisterServer() { return Library::Register(); }
STDAPI DllUnregisterServer() { return Library::Unregister(); }

}  // extern "C"
