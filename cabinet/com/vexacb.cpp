// The cabinet control's library: its class object and self-registration.

#include <windows.h>
#include <initguid.h>

#include "cabinet/com/vexa_cb_class.hpp"
#include "platform/win32/com/control_library.hpp"

namespace {

using Library = vexa::com::ControlLibrary<vexa::VexaCBClass>;

}  // namespace

extern "C" {

STDAPI DllCanUnloadNow() { return Library::CanUnloadNow(); }
STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
    return Library::GetClassObject(classId, iid, object);
}
STDAPI DllRegisterServer() { return Library::Register(); }
STDAPI DllUnregisterServer() { return Library::Unregister(); }

}  // extern "C"
