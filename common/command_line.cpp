#include "common/command_line.hpp"

namespace vexa {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

// The run of backslashes at `i` goes into `argument`; answers where reading goes on: at
// a quote that still groups, or after the run (and after a quote it made literal).
std::size_t TakeBackslashes(std::string_view text, std::size_t i, std::string& argument) {
    std::size_t end = text.find_first_not_of('\\', i);
    if (end == std::string_view::npos) end = text.size();
    std::size_t count = end - i;
    if (end == text.size() || text[end] != '"') {
        argument.append(count, '\\');
        return end;
    }
    argument.append(count / 2, '\\');
    if (count % 2 == 0) return end;
    argument += '"';
    return end + 1;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> split;
    std::string argument;
    bool inArgument = false;
    bool quoted = false;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (IsSeparator(c) && !quoted) {
            if (inArgument) split.push_back(std::move(argument));
            argument.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            i = TakeBackslashes(text, i, argument);
        } else if (c == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"') {
            argument += '"';
            i += 2;
        } else if (c == '"') {
            quoted = !quoted;
            ++i;
        } else {
            argument += c;
            ++i;
        }
    }
    if (inArgument) split.push_back(std::move(argument));
    return split;
}

}  // namespace vexa
