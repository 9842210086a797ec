#pragma once
// Self-registering servers (controls and libraries).

#include <string>

namespace vexa {

class Components {
public:
    virtual ~Components() = default;
    // Loads the library, calls its "DllRegisterServer" (or "DllUnregisterServer") entry
    // point and unloads it. False if it cannot be loaded or lacks the entry point; what
    // the entry point returns is not examined.
    virtual bool RegisterServer(const std::string& library) = 0;
    virtual bool UnregisterServer(const std::string& library) = 0;
};

}  // namespace vexa
