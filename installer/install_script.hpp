#pragma once
// The installer's reading of its script: six settings, read once at start-up, and the
// action commands the engine and the closing steps run. Install lines are read as the
// loader reads them (`loader::ReadInstallLine`): the same argument lists.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "loader/script.hpp"

namespace vexa::installer {

inline constexpr std::string_view kProgramFilesDirPlaceholder = "<ProgramFilesDir>";
inline constexpr std::string_view kProgramsGroupPlaceholder = "<ProgramsGroup>";
inline constexpr std::string_view kProductProgramGroupPlaceholder = "<ProductProgramGroup>";
inline constexpr std::string_view kProductDirectoryPlaceholder = "<ProductDirectory>";

// The first value of each setting, unchanged; empty when missing.
struct InstallerSettings {
    std::string productName;
    std::string productDirectory;
    std::string productProgramGroup;
    std::string doneMessage;
    std::string password;
    std::string checkTrust;
};
InstallerSettings ReadSettings(const ScriptLines& lines);

// What follows `placeholder` at the very start of `text` (letter case aside), less one
// "\" or "/" right after it; nullopt when the text does not begin with it.
std::optional<std::string> AfterPlaceholder(std::string_view text, std::string_view placeholder);

// Whether a placeholder's remainder stays below what the placeholder stands for: empty
// (the place itself) or a relative path that does not climb out.
bool StaysBelow(std::string_view remainder);

// The member of the attachment an install line names: the last component of its
// cabinet argument (after the last "\" or "/"), upper-cased.
std::string MemberNameOf(std::string_view cabinetArgument);

struct ProgramGroupLine {
    std::string folder;   // below the product's program group; empty for the group itself
    std::string caption;
    std::string target;   // below the install directory
};
// A CreateProgramGroup line with both placeholders; nullopt for any other line.
std::optional<ProgramGroupLine> ReadProgramGroupLine(const ScriptLines& lines, std::size_t i);

struct ExecuteLine {
    std::string program;    // below the install directory
    std::string arguments;  // arguments 2 on, quoted where they hold a blank, joined, trimmed
};
// The Execute or ExecuteInSeparateWindow line to run: the first whose argument 1 begins
// with "<ProductDirectory>". `present` tells whether the script has any such lines at all.
struct ExecuteSearch {
    bool present = false;
    std::optional<ExecuteLine> line;
};
ExecuteSearch FindExecuteLine(const ScriptLines& lines);

}  // namespace vexa::installer
