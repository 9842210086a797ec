#pragma once
// Self-registration of an in-process control: its class and program id, its type
// library, and the component categories that let pages script and initialise it.

#include <guiddef.h>
#include <wtypes.h>

#include <string>

#include "platform/registry.hpp"

namespace vexa::com {

// A class this module serves.
struct ServerClass {
    std::string classId;  // "{...}"
    std::string name;     // shown for the class and the program id
    std::string progId;
};

struct ControlClass {
    ServerClass server;
    std::string typeLibraryId;  // "{...}"
    std::string version;        // the type library's, "major.minor"
    std::string miscStatus;     // the OLEMISC flags as decimal text
};

// The file of the module that holds this code: the control's library.
std::string ThisModulePath();
std::string GuidText(REFGUID guid);

// Under HKEY_CLASSES_ROOT: CLSID\{id} with InprocServer32 (the module, apartment
// threaded) and ProgID, and the program id's key.
bool RegisterServerClass(Registry& registry, const ServerClass& server, const std::string& modulePath);
// A server class that is also a control: Control, TypeLib, Version and MiscStatus\1.
bool RegisterControlClass(Registry& registry, const ControlClass& control, const std::string& modulePath);
// Removes both keys with everything below them.
bool UnregisterServerClass(Registry& registry, const ServerClass& server);

// Creates the categories "Controls that are safely scriptable" and "Controls safely
// initializable from persistent data" if missing, and marks the class as implementing both.
HRESULT RegisterSafeCategories(REFCLSID classId);

}  // namespace vexa::com
