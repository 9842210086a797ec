#pragma once
// The cabinet a setup program carries after its own image, at an offset fixed when the
// program is built. It is read where it stands: copying it out first, as once was done,
// wrote the whole attachment twice before anything was installed.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.hpp"

namespace vexa::installer {

// A cabinet in a file, from byte `offset` on.
struct CabinetFile {
    CabinetFile(std::string file, std::uint64_t at = 0) : path(std::move(file)), offset(at) {}
    std::string path;
    std::uint64_t offset;
};

struct AttachmentPlace {
    std::string directory;  // the new expansion directory, ending in a separator; empty after a failure
    std::string failure;    // the start-up message; empty on success
};

// Checks that `ownPath` carries bytes after `offset` and makes a new expansion directory
// for what is taken out of them.
AttachmentPlace ExtractAttachment(Files& files, const std::string& ownPath, std::uint64_t offset);

// Expands `cabinet` into `destination` (sub-directories of stored names included). With
// a `wantedName`, only the members whose output path ends with it (letter case aside) are
// taken, and one must be. Each path written is appended to `extracted`. Stored names that
// would leave the destination fail the expansion.
bool ExtractFromCabinet(Files& files, const CabinetFile& cabinet, const std::string& destination,
                        const std::string& wantedName, std::vector<std::string>& extracted);

}  // namespace vexa::installer
