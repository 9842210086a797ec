#pragma once
// Variable files: named values that a page keeps in a local text file, one "name=value"
// line each after a header line, lines separated by CR LF with none after the last.
// Names are found without regard to case. A file that does not begin with the header is
// not a variable file and is never changed.

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.hpp"

namespace vexa::download {

inline constexpr std::string_view kVariableFileHeader = "[VX VAR FILE HEADER]";

// The rules over a file's bytes. Reading: after the header, two bytes (its line break) are
// skipped and the rest splits into lines at each CR, with every LF dropped; the header
// alone holds no lines, as a file written without variables is.
//
// The value of the first line that reads `name` "=", or nullopt when the bytes are not a
// variable file or hold no such line.
std::optional<std::string> VariableValue(std::string_view file, std::string_view name);
// The file with that line replaced by `name` "=" `value`, or with the line appended;
// nullopt when the bytes are not a variable file, or when the line could not be read back
// as written: a name holding "=", CR or LF, a value holding CR or LF.
std::optional<std::string> WithVariable(std::string_view file, std::string_view name, std::string_view value);
// The file without that line; nullopt when the bytes are not a variable file or hold no such line.
std::optional<std::string> WithoutVariable(std::string_view file, std::string_view name);

// The page's methods over the file port. A missing file counts as one without variables;
// one that is there but cannot be read (a folder, too large, a failed read) is left alone.
bool PutVarInTextFile(Files& files, const std::string& varName, const std::string& varValue,
                      const std::string& filename);
std::string GetVarFromTextFile(Files& files, const std::string& varName, const std::string& filename);
bool IsVarInTextFile(Files& files, const std::string& varName, const std::string& filename);
bool DeleteVarInTextFile(Files& files, const std::string& varName, const std::string& filename);

}  // namespace vexa::download
