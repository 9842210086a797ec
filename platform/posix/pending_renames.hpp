#pragma once
// What waits for the next restart of the emulated machine: file replacements, in the
// order they were asked for, and whether a restart was asked for. Kept in the prefix's
// registry so that every process of the machine sees them; `vexa restart --apply` carries
// them out, as Windows does at start-up.
//
// HKLM\Software\VexaWeb\Restart holds the value "Requested" once a restart was asked for,
// and a sub-key "Renames" with one numbered sub-key per replacement (zero-padded, so the
// registry's alphabetical order is the order of the requests) holding "Target" and
// "Replacement".

#include <string>
#include <vector>

#include "platform/registry.hpp"

namespace vexa {

// At the restart: delete the target, then rename the replacement to it; an empty
// replacement only deletes.
struct PendingRename {
    std::string replacement;
    std::string target;
};

class PendingRenames {
public:
    explicit PendingRenames(Registry& registry) : registry_(registry) {}

    bool Add(const PendingRename& rename);
    // In the order they were added.
    std::vector<PendingRename> List();
    bool RequestRestart();
    bool RestartRequested();
    // Forgets the replacements and the request.
    bool Clear();

private:
    Registry& registry_;
};

}  // namespace vexa
