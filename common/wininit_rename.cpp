#include "common/wininit_rename.hpp"

#include <optional>

#include "common/text.hpp"

namespace vexa {
namespace {

// Just after the last line of the "[Rename]" section that is not blank (so blank lines
// before the next section stay where they are); none when there is no such section.
std::optional<std::size_t> EndOfRenameSection(std::string_view text) {
    std::optional<std::size_t> end;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t newline = text.find('\n', begin);
        std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::string_view line = Trim(text.substr(begin, next - begin));
        if (end && !line.empty() && line.front() == '[') return end;
        if (end ? !line.empty() : EqualsIgnoreCase(line, "[Rename]")) end = next;
        begin = next;
    }
    return end;
}

}  // namespace

std::string AddWininitRename(std::string_view iniText, std::string_view target, std::string_view replacement) {
    std::optional<std::size_t> end = EndOfRenameSection(iniText);
    std::size_t at = end.value_or(iniText.size());
    std::string text(iniText.substr(0, at));
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    if (!end) text += "[Rename]\r\n";
    text.append("NUL=").append(target).append("\r\n");
    if (!replacement.empty()) text.append(target).append("=").append(replacement).append("\r\n");
    text.append(iniText.substr(at));
    return text;
}

}  // namespace vexa
