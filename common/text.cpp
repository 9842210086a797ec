#include "common/text.hpp"

#include <algorithm>
#include <limits>

namespace vexa {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view text) {
    auto first = std::find_if_not(text.begin(), text.end(), IsWhiteSpace);
    return text.substr(static_cast<std::size_t>(first - text.begin()));
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
    return text;
}

char ToUpperAnsi(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpperAnsi(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = ToUpperAnsi(c);
    return upper;
}

std::string ToLowerAnsi(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char x, char y) { return ToUpperAnsi(x) == ToUpperAnsi(y); });
}

std::size_t FindIgnoreCase(std::string_view text, std::string_view needle) {
    auto same = [](char x, char y) { return ToUpperAnsi(x) == ToUpperAnsi(y); };
    auto at = std::search(text.begin(), text.end(), needle.begin(), needle.end(), same);
    return at == text.end() && !needle.empty() ? std::string_view::npos : static_cast<std::size_t>(at - text.begin());
}

std::int64_t ReadLeadingNumber(std::string_view text) {
    text = TrimLeft(text);
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        int digit = c - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return std::string(text);
    std::string result;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(find, start)) != std::string_view::npos; start = at + find.size())
        result.append(text.substr(start, at - start)).append(replacement);
    return result.append(text.substr(start));
}

bool EndsWithSeparator(std::string_view text) {
    return !text.empty() && (text.back() == '\\' || text.back() == '/');
}

std::string WithTrailingSeparator(std::string_view directory, char separator) {
    std::string result(directory);
    if (result.empty() || result.back() != separator) result += separator;
    return result;
}

}  // namespace vexa
