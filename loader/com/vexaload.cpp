// The loader control's library: its class objects and self-registration.

#include <windows.h>
#include <initguid.h>

#include "loader/com/vexa_loader_class.hpp"
#include "platform/win32/com/control_library.hpp"

VEXA_CONTROL_LIBRARY_ENTRY_POINTS(vexa::loader::VexaLoaderClass)
