// The download control's library: its class object and self-registration.

#include <windows.h>
#include <initguid.h>

#include "download/com/vexa_dnld_class.hpp"
#include "platform/win32/com/control_library.hpp"

VEXA_CONTROL_LIBRARY_ENTRY_POINTS(vexa::download::VexaDnldClass)
