#pragma once
// Where a library or control belongs and how it gets there, as the loader and the
// installer both decide it: a library goes where the system's version installer says
// shared files belong, a control replaces the server registered for its class (or goes
// into the system directory), each only when the present copy is missing or older; a file
// is copied over its target, and a target in use is replaced at the next restart instead.

#include <string>

#include "platform/components.hpp"
#include "platform/files.hpp"
#include "platform/registry.hpp"
#include "platform/shell.hpp"

namespace vexa::loader {

enum class Placement { Failed, Copied, Deferred };

class ComponentPlacement {
public:
    ComponentPlacement(Files& files, Components& components, Registry& registry, Shell& shell);

    // Where the library or control goes; empty when an equal or newer one is in place.
    std::string NeedDll(const std::string& fileName, const std::string& version);
    std::string NeedControl(const std::string& classId, const std::string& version, const std::string& fileName);
    // The server file registered for the class, when it exists; empty otherwise.
    std::string RegisteredServer(const std::string& classId);
    // Copies `source` over `target`; a target the system will not let go is replaced at the
    // next restart by a copy staged in the temporary folder.
    Placement Place(const std::string& source, const std::string& target);

private:
    std::string PresentVersionDecides(const std::string& present, const std::string& version,
                                      const std::string& target);

    Files& files_;
    Components& components_;
    Registry& registry_;
    Shell& shell_;
};

}  // namespace vexa::loader
