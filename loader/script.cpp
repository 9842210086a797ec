#include "loader/script.hpp"

#include <algorithm>
#include <array>

#include "common/text.hpp"
#include "common/url.hpp"

namespace vexa {
namespace {

constexpr std::string_view kHeaderLine4 = "' This file was generated automatically with the ";
constexpr std::string_view kHeaderLine5 = "' Brindell Quillforge.";
constexpr std::string_view kDefaultUrl = "<DEFAULTURL>";
constexpr std::string_view kTempDir = "<TempDir>";
constexpr std::array<std::string_view, 3> kInstallCommands = {"INSTALLDLLFILE", "INSTALLOCXFILE", "INSTALLPROGRAM"};
constexpr std::array<std::string_view, 8> kLoaderCommands = {
    "SETPRODUCTDIRECTORY", "SETINSTALLDIALOGTITLE", "SETEXEWINDOWTITLE", "INSTALLOCXFILE",
    "INSTALLDLLFILE",      "INSTALLPROGRAM",        "EXECUTE",           "EXECUTEINSEPARATEWINDOW"};

// Appends bytes to the line list; `lines` always ends with the line being collected.
void AppendScriptBytes(std::string_view bytes, ScriptLines& lines) {
    for (char c : bytes) {
        if (c == '\r') {
            lines.emplace_back();
        } else if (c != '\n') {
            lines.back() += c;
        }
    }
}

// Position of the n-th double quote (from 1) in the line; npos if there are fewer.
std::size_t NthQuote(std::string_view line, int n) {
    std::size_t at = std::string_view::npos;
    for (int seen = 0; seen < n; ++seen) {
        at = line.find('"', at + 1);
        if (at == std::string_view::npos) break;
    }
    return at;
}

template <std::size_t N>
bool IsOneOf(const std::array<std::string_view, N>& words, std::string_view word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace

bool IsLoaderCommand(std::string_view upperCaseWord) { return IsOneOf(kLoaderCommands, upperCaseWord); }

ScriptLines SplitScriptText(std::string_view bytes) {
    ScriptLines lines(1);
    AppendScriptBytes(bytes, lines);
    return lines;
}

bool LoadScriptLines(Files& files, const std::string& path, ScriptLines& lines) {
    auto file = files.OpenShared(path);
    if (!file) return false;
    lines.assign(1, std::string{});
    std::string block(64 * 1024, '\0');
    for (std::uint64_t at = 0; at < file->Size();) {
        auto want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), file->Size() - at));
        std::size_t got = file->ReadAt(at, reinterpret_cast<unsigned char*>(block.data()), want);
        // A half-read script would run with lines missing; treat it as unreadable.
        if (got != want) return false;
        AppendScriptBytes(std::string_view(block).substr(0, got), lines);
        at += got;
    }
    return true;
}

std::string GetCommandWord(const ScriptLines& lines, std::size_t i) {
    if (i >= lines.size()) return {};
    std::string_view line = TrimLeft(lines[i]);
    return ToUpperAnsi(line.substr(0, line.find_first_of(" \t\"")));
}

std::string GetArgument(const ScriptLines& lines, std::size_t i, int k) {
    if (i >= lines.size() || k < 1) return {};
    std::string_view line = lines[i];
    std::size_t open = NthQuote(line, 2 * k - 1);
    if (open == std::string_view::npos) return {};
    std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) return {};
    return std::string(line.substr(open + 1, close - open - 1));
}

int CountArguments(const ScriptLines& lines, std::size_t i) {
    if (i >= lines.size()) return 0;
    return static_cast<int>(std::count(lines[i].begin(), lines[i].end(), '"') / 2);
}

std::string GetScriptVar(const ScriptLines& lines, std::string_view name) {
    const std::string word = "SET" + ToUpperAnsi(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (GetCommandWord(lines, i) == word) return GetArgument(lines, i, 1);
    }
    return {};
}

std::string ReplaceFirst(std::string_view text, std::string_view old, std::string_view replacement) {
    std::size_t at = old.empty() ? std::string_view::npos : text.find(old);
    if (at == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, at)).append(replacement).append(text.substr(at + old.size()));
}

bool HasValidHeader(const ScriptLines& lines) {
    return lines.size() >= 5 && lines[3] == kHeaderLine4 && lines[4] == kHeaderLine5;
}

std::string DefaultBase(std::string_view defaultUrl) {
    const char separator = defaultUrl.find('\\') != std::string_view::npos ? '\\' : '/';
    return WithTrailingSeparator(defaultUrl, separator);
}

std::string ExpandDefaultUrlAt(std::string_view text, std::size_t at, std::string_view defaultBase) {
    std::size_t rest = at + kDefaultUrl.size();
    if (rest < text.size() && (text[rest] == '/' || text[rest] == '\\')) ++rest;
    return std::string(text.substr(0, at)).append(defaultBase).append(text.substr(rest));
}

void RewriteDefaultUrl(ScriptLines& lines, std::string_view defaultUrl) {
    const std::string base = DefaultBase(defaultUrl);
    for (std::string& line : lines) {
        std::size_t at = FindIgnoreCase(line, kDefaultUrl);
        if (at != std::string::npos) line = ExpandDefaultUrlAt(line, at, base);
    }
}

void RewriteCabinetUrls(ScriptLines& lines, std::string_view pageBase) {
    if (pageBase.empty()) return;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsOneOf(kInstallCommands, GetCommandWord(lines, i))) continue;
        std::string cabinet = GetArgument(lines, i, 1);
        if (cabinet.empty()) continue;
        auto url = CombineUrl(pageBase, cabinet);
        if (!url) continue;
        // Replace from the first quote on: the cabinet's text may also occur in the
        // command word ("Program" in "InstallProgram"), which must stay intact.
        std::size_t open = NthQuote(lines[i], 1);
        std::string_view line = lines[i];
        lines[i] = std::string(line.substr(0, open + 1)) + ReplaceFirst(line.substr(open + 1), cabinet, *url);
    }
}

bool IsProductDirectoryUnderTempDir(const ScriptLines& lines) {
    return StartsWithIgnoreCase(GetScriptVar(lines, "ProductDirectory"), kTempDir);
}

std::string PrepareScript(ScriptLines& lines, std::string_view defaultUrl, std::string_view pageBase) {
    if (!HasValidHeader(lines)) return std::string(kInvalidScriptFile);
    RewriteDefaultUrl(lines, defaultUrl);
    RewriteCabinetUrls(lines, pageBase);
    if (!IsProductDirectoryUnderTempDir(lines)) return std::string(kProductDirectoryNotUnderTempDir);
    return {};
}

}  // namespace vexa
