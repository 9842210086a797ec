#include "loader/page.hpp"

#include <optional>

#include "common/text.hpp"
#include "loader/loader_dispatch.hpp"

namespace vexa::loader {
namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A cursor over the page; each step moves forward only.
class Scanner {
public:
    Scanner(std::string_view text, std::size_t at) : text_(text), at_(at) {}

    // The number of white-space characters skipped.
    std::size_t SkipSpace() {
        const std::size_t start = at_;
        while (at_ < text_.size() && IsWhiteSpace(text_[at_])) ++at_;
        return at_ - start;
    }
    bool Take(char c) {
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool TakeWord(std::string_view word) {
        if (!StartsWithIgnoreCase(text_.substr(at_), word)) return false;
        at_ += word.size();
        return true;
    }
    // A quoted value: a quote, the text up to the next quote of either kind, that quote.
    std::optional<std::string_view> TakeQuoted() {
        if (at_ >= text_.size() || !IsQuote(text_[at_])) return std::nullopt;
        const std::size_t start = at_ + 1;
        std::size_t end = start;
        while (end < text_.size() && !IsQuote(text_[end])) ++end;
        if (end == text_.size()) return std::nullopt;
        at_ = end + 1;
        return text_.substr(start, end - start);
    }

private:
    std::string_view text_;
    std::size_t at_;
};

// RunScript ( "name"
std::optional<std::string_view> RunScriptArgument(Scanner scanner) {
    scanner.SkipSpace();
    if (!scanner.Take('(')) return std::nullopt;
    scanner.SkipSpace();
    return scanner.TakeQuoted();
}

// <param name = "DefaultURL" value = "url"
std::optional<std::string_view> DefaultUrlValue(Scanner scanner) {
    auto equals = [&] {
        scanner.SkipSpace();
        bool taken = scanner.Take('=');
        scanner.SkipSpace();
        return taken;
    };
    if (scanner.SkipSpace() == 0 || !scanner.TakeWord("name") || !equals()) return std::nullopt;
    auto name = scanner.TakeQuoted();
    if (!name || !EqualsIgnoreCase(*name, "DefaultURL")) return std::nullopt;
    if (scanner.SkipSpace() == 0 || !scanner.TakeWord("value") || !equals()) return std::nullopt;
    return scanner.TakeQuoted();
}

// The value read after the first occurrence of `word` where `read` finds one. A try reads
// white space of its own and quoted texts that open at quotes of its own, so every byte is
// read a bounded number of times however the tries fail.
template <typename Read>
std::string FirstAfter(std::string_view html, std::string_view word, Read read) {
    for (std::size_t at = FindIgnoreCase(html, word); at != std::string_view::npos;) {
        if (auto value = read(Scanner(html, at + word.size()))) return std::string(*value);
        std::size_t next = FindIgnoreCase(html.substr(at + 1), word);
        at = next == std::string_view::npos ? next : at + 1 + next;
    }
    return {};
}

}  // namespace

Page ReadPage(std::string_view html) {
    Page page;
    // The class id without its braces, as the page's CLSID: attribute writes it.
    page.embedsLoader = FindIgnoreCase(html, kVexaLoaderClassId.substr(1, 36)) != std::string_view::npos;
    page.script = FirstAfter(html, "RunScript", RunScriptArgument);
    page.defaultUrl = FirstAfter(html, "<param", DefaultUrlValue);
    return page;
}

}  // namespace vexa::loader
