#pragma once
// What a program knows of its own file: where it is, and the version its resource gives.

#include <cstdint>
#include <optional>
#include <string>

namespace vexa::dialogs {

// The full path of this program, however long; empty if the system will not say.
std::string OwnProgramPath();

// The four numbers of a version resource's fixed file version.
struct FileVersionNumbers {
    std::uint16_t major = 0, minor = 0, build = 0, revision = 0;
};

// The file version of this program's version resource; nullopt when it has none.
std::optional<FileVersionNumbers> OwnFileVersion();

}  // namespace vexa::dialogs
