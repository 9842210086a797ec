#pragma once
// The cabinet a setup program carries after its own image, at an offset fixed when the
// program is built: copied into "Attachment.CAB" of a new expansion directory, and its
// members taken out by name.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.hpp"
#include "platform/shell.hpp"

namespace vexa::installer {

struct AttachmentCopy {
    std::string directory;  // the new expansion directory, ending in a separator; empty after a failure
    std::string failure;    // the start-up message; empty on success
};

// Copies the bytes of `ownPath` from `offset` to its end, in chunks of at most 1000000
// bytes, into "Attachment.CAB" of a new expansion directory. After a failure nothing made
// is left behind.
AttachmentCopy ExtractAttachment(Files& files, Shell& shell, const std::string& ownPath, std::uint64_t offset);

// Expands `cabinet` into `destination` (sub-directories of stored names included). With
// a `wantedName`, only the members whose output path ends with it (letter case aside) are
// taken, and one must be. Each path written is appended to `extracted`. Stored names that
// would leave the destination fail the expansion.
bool ExtractFromCabinet(Files& files, const std::string& cabinet, const std::string& destination,
                        const std::string& wantedName, std::vector<std::string>& extracted);

}  // namespace vexa::installer
