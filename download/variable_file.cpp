#include "download/variable_file.hpp"

#include <algorithm>

#include "common/text.hpp"
#include "platform/files.hpp"

namespace vexa::download {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// The lines of a variable file one at a time, so a file of many lines costs no more
// memory than its bytes.
class VariableLines {
public:
    static std::optional<VariableLines> Of(std::string_view file) {
        if (!file.starts_with(kVariableFileHeader)) return std::nullopt;
        std::string_view rest = file.substr(kVariableFileHeader.size());
        return VariableLines(rest.substr(std::min(rest.size(), kLineBreak.size())), rest.empty());
    }

    // The next line, its LFs dropped; false after the last.
    bool Next(std::string& line) {
        if (done_) return false;
        std::size_t end = rest_.find('\r');
        line.clear();
        for (char c : rest_.substr(0, end))
            if (c != '\n') line += c;
        done_ = end == std::string_view::npos;
        if (!done_) rest_.remove_prefix(end + 1);
        return true;
    }

private:
    VariableLines(std::string_view rest, bool done) : rest_(rest), done_(done) {}

    std::string_view rest_;
    bool done_;
};

// The line's text up to and including its first "=" is the name and "=".
bool IsLineOf(std::string_view line, std::string_view name) {
    return line.find('=') == name.size() && EqualsIgnoreCase(line.substr(0, name.size()), name);
}

struct Rewrite {
    std::string file;
    bool found = false;
};

// The file written anew, with the variable's first line replaced by `replacement`, or left
// out without one.
std::optional<Rewrite> Rewritten(std::string_view file, std::string_view name, const std::string* replacement) {
    auto lines = VariableLines::Of(file);
    if (!lines) return std::nullopt;
    Rewrite rewrite{std::string(kVariableFileHeader)};
    rewrite.file.reserve(file.size() + (replacement ? replacement->size() + kLineBreak.size() : 0));
    for (std::string line; lines->Next(line);) {
        const bool replaced = !rewrite.found && IsLineOf(line, name);
        rewrite.found = rewrite.found || replaced;
        if (replaced && !replacement) continue;
        rewrite.file += kLineBreak;
        rewrite.file += replaced ? *replacement : line;
    }
    return rewrite;
}

// A missing file is one without variables; nullopt when something that cannot be read is there.
std::optional<std::string> ReadForUpdate(Files& files, const std::string& filename) {
    if (auto bytes = ReadTextFile(files, filename)) return bytes;
    if (files.Attributes(filename)) return std::nullopt;
    return std::string(kVariableFileHeader);
}

std::optional<std::string> ValueInFile(Files& files, const std::string& varName, const std::string& filename) {
    auto bytes = ReadTextFile(files, filename);
    return bytes ? VariableValue(*bytes, varName) : std::nullopt;
}

}  // namespace

std::optional<std::string> VariableValue(std::string_view file, std::string_view name) {
    auto lines = VariableLines::Of(file);
    if (!lines) return std::nullopt;
    for (std::string line; lines->Next(line);)
        if (IsLineOf(line, name)) return line.substr(name.size() + 1);
    return std::nullopt;
}

std::optional<std::string> WithVariable(std::string_view file, std::string_view name, std::string_view value) {
    if (name.find_first_of("=\r\n") != std::string_view::npos || value.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    const std::string line = std::string(name) + "=" + std::string(value);
    auto rewrite = Rewritten(file, name, &line);
    if (!rewrite) return std::nullopt;
    if (!rewrite->found) rewrite->file.append(kLineBreak).append(line);
    return std::move(rewrite->file);
}

std::optional<std::string> WithoutVariable(std::string_view file, std::string_view name) {
    auto rewrite = Rewritten(file, name, nullptr);
    if (!rewrite || !rewrite->found) return std::nullopt;
    return std::move(rewrite->file);
}

bool PutVarInTextFile(Files& files, const std::string& varName, const std::string& varValue,
                      const std::string& filename) {
    auto bytes = ReadForUpdate(files, filename);
    auto updated = bytes ? WithVariable(*bytes, varName, varValue) : std::nullopt;
    return updated && WriteTextFile(files, filename, *updated);
}

std::string GetVarFromTextFile(Files& files, const std::string& varName, const std::string& filename) {
    return ValueInFile(files, varName, filename).value_or("");
}

bool IsVarInTextFile(Files& files, const std::string& varName, const std::string& filename) {
    return ValueInFile(files, varName, filename).has_value();
}

bool DeleteVarInTextFile(Files& files, const std::string& varName, const std::string& filename) {
    auto bytes = ReadTextFile(files, filename);
    auto updated = bytes ? WithoutVariable(*bytes, varName) : std::nullopt;
    return updated && WriteTextFile(files, filename, *updated);
}

}  // namespace vexa::download
