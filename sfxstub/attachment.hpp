#pragma once
// The cabinet a self-extracting program carries after its stub. It is copied into a
// temporary file of its own, which the codec then reads like any cabinet file.

#include <cstdint>
#include <string>

#include "platform/files.hpp"

namespace vexa::sfx {

struct AttachmentCopy {
    std::string tempPath;  // the temporary cabinet; empty after a failure
    std::string failure;   // the start-up message for the user; empty on success
};

// Copies the bytes of `ownPath` from `offset` to its end into a new temporary file named
// "~cb..." in the temporary folder. Nothing after `offset` means no cabinet is attached.
// After a failure no temporary file is left behind.
AttachmentCopy CopyAttachment(Files& files, const std::string& ownPath, std::uint64_t offset);

}  // namespace vexa::sfx
