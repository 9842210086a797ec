#pragma once
// The script: a plain 8-bit text of command lines, each a command word followed by
// arguments in double quotes. It is held as its list of lines, in file order, comments
// and blank lines included; every lookup is a linear scan.

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.hpp"

namespace vexa {

using ScriptLines = std::vector<std::string>;

inline constexpr std::string_view kCannotLoadScript = "Cannot load script into memory.";
inline constexpr std::string_view kInvalidScriptFile = "Invalid script file.";
inline constexpr std::string_view kProductDirectoryNotUnderTempDir =
    "Script error. Product directory must be under the <TempDir> directory.";

// Replaces `lines` with the file's lines: CR ends a line, LF is dropped wherever it
// stands, and the text after the last CR is the last line, even when empty.
// False if the file cannot be opened or read.
bool LoadScriptLines(Files& files, const std::string& path, ScriptLines& lines);
ScriptLines SplitScriptText(std::string_view bytes);

// The commands the loader acts on; every other line is passed over in silence.
bool IsLoaderCommand(std::string_view upperCaseWord);

// Upper-cased; empty for a line index past the end.
std::string GetCommandWord(const ScriptLines& lines, std::size_t i);
// Argument k (from 1) is the text between the (2k-1)-th and the 2k-th double quote.
std::string GetArgument(const ScriptLines& lines, std::size_t i, int k);
int CountArguments(const ScriptLines& lines, std::size_t i);
// Argument 1 of the first line whose command word is "Set" + name.
std::string GetScriptVar(const ScriptLines& lines, std::string_view name);
std::string ReplaceFirst(std::string_view text, std::string_view old, std::string_view replacement);

// Lines 4 and 5 of the header, byte for byte.
bool HasValidHeader(const ScriptLines& lines);
// The directory that "<DEFAULTURL>" stands for: the value with exactly one final
// separator, "\" if the value holds one, else "/".
std::string DefaultBase(std::string_view defaultUrl);
// Replaces a "<DEFAULTURL>" at `at` (and one separator right after it) by the default base.
std::string ExpandDefaultUrlAt(std::string_view text, std::size_t at, std::string_view defaultBase);
void RewriteDefaultUrl(ScriptLines& lines, std::string_view defaultUrl);
// Makes the cabinet of every install line an absolute URL next to the page.
void RewriteCabinetUrls(ScriptLines& lines, std::string_view pageBase);
bool IsProductDirectoryUnderTempDir(const ScriptLines& lines);

// The checks and rewrites that follow loading, in their order: header, "<DEFAULTURL>",
// cabinet URLs, product directory. Empty on success, else the failure text.
std::string PrepareScript(ScriptLines& lines, std::string_view defaultUrl, std::string_view pageBase);

}  // namespace vexa
