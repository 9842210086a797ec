// The cabinet control's library: its class object and self-registration.

#include <windows.h>
#include <initguid.h>

#include "cabinet/com/vexa_cb_class.hpp"
#include "platform/win32/com/control_library.hpp"

VEXA_CONTROL_LIBRARY_ENTRY_POINTS(vexa::VexaCBClass)
