#pragma once
// The three install commands of a script, read into one shape: what to fetch, what it
// holds, and how it is checked.

#include <cstdint>
#include <optional>
#include <string>

#include "loader/script.hpp"

namespace vexa::loader {

enum class InstallKind { Library, Control, Program };

struct InstallLine {
    InstallKind kind = InstallKind::Program;
    std::string cabinet;  // URL of the cabinet, or of the file itself
    std::int64_t cabinetSize = 0;
    std::string fileName;  // library or control file
    std::string version;   // required version of a library or control
    std::string classId;   // control
    std::int64_t pieces = 0;
    std::int64_t expandedSize = 0;
    std::string signature;
    std::string subDirectory;  // program
};

// Line i as an install line; nullopt for every other command.
std::optional<InstallLine> ReadInstallLine(const ScriptLines& lines, std::size_t i);

}  // namespace vexa::loader
