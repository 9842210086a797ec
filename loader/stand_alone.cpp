#include "loader/stand_alone.hpp"

#include <algorithm>
#include <array>

#include "common/text.hpp"
#include "common/url.hpp"
#include "loader/url_transfer.hpp"

namespace vexa::loader {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::array<std::string_view, 3> kSchemes = {"http://", "https://", "file://"};
constexpr std::size_t kLines = 5;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsPrintableAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string Line(std::size_t n) { return "line " + std::to_string(n); }

AttachmentReading Refused(std::string why, bool marked = true) { return {std::nullopt, std::move(why), marked}; }

// The first line is what follows the stub: from the first URL scheme within the printable
// bytes before its line end.
std::string_view FirstLine(std::string_view tail, std::size_t end) {
    std::size_t start = end;
    while (start > 0 && end - start < kStandAloneLineLimit && IsPrintableAscii(tail[start - 1])) --start;
    const std::string_view run = tail.substr(start, end - start);
    for (std::size_t at = 0; at < run.size(); ++at)
        for (std::string_view scheme : kSchemes)
            if (StartsWithIgnoreCase(run.substr(at), scheme)) return run.substr(at);
    return {};
}

// "2,3,0,35", blanks allowed around each number.
bool IsFourNumberVersion(std::string_view text) {
    std::size_t numbers = 0;
    for (std::size_t at = 0; at <= text.size(); ++numbers) {
        std::size_t comma = std::min(text.find(',', at), text.size());
        std::string_view number = Trim(text.substr(at, comma - at));
        if (number.empty() || number.size() > 5 || !std::all_of(number.begin(), number.end(), IsDigit) ||
            std::stoul(std::string(number)) > 0xFFFF)
            return false;
        at = comma + 1;
    }
    return numbers == 4;
}

// The short form: hexadecimal digits, "-", decimal digits.
bool IsShortSignature(std::string_view text) {
    std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return false;
    std::string_view word = text.substr(0, dash);
    std::string_view check = text.substr(dash + 1);
    return !word.empty() && word.size() <= 8 && std::all_of(word.begin(), word.end(), IsHexDigit) && !check.empty() &&
           check.size() <= 5 && std::all_of(check.begin(), check.end(), IsDigit);
}

// A name the publication directory's URL can take as its last segment, and nothing more.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:?#") == std::string_view::npos;
}

std::string UrlProblem(const std::string& url) {
    if (std::string refusal = UrlRefusal(url); !refusal.empty()) return refusal;
    auto parts = SplitUrl(url);
    if (parts && !parts->extra.empty()) return "it carries a query or a fragment";
    return {};
}

AttachmentReading Validated(const std::array<std::string_view, kLines>& lines) {
    StandAloneAttachment attachment{std::string(lines[0]), std::string(lines[1]), std::string(Trim(lines[2])),
                                    std::string(lines[3]), std::string(lines[4])};
    if (attachment.activeXUrl.empty())
        return Refused(Line(1) + " holds no ActiveX URL (http://, https:// or file://) of at most " +
                       std::to_string(kStandAloneLineLimit) + " bytes");
    if (std::string problem = UrlProblem(attachment.activeXUrl); !problem.empty())
        return Refused(Line(1) + ", the ActiveX URL " + attachment.activeXUrl + ": " + problem);
    if (!EndsWithSeparator(attachment.activeXUrl))
        return Refused(Line(1) + ", the ActiveX URL " + attachment.activeXUrl + ", does not end with \"/\"");
    if (!IsFourNumberVersion(attachment.loaderVersion))
        return Refused(Line(2) + ", the loader's version \"" + attachment.loaderVersion +
                       "\", is not four numbers separated by commas");
    if (std::string problem = UrlProblem(attachment.publicationUrl); !problem.empty())
        return Refused(Line(3) + ", the publication URL \"" + attachment.publicationUrl + "\": " + problem);
    if (!EndsWithSeparator(attachment.publicationUrl)) attachment.publicationUrl += '/';
    if (!IsPlainFileName(attachment.scriptCabinet))
        return Refused(Line(4) + ", the script cabinet \"" + attachment.scriptCabinet +
                       "\", is not a file name without a path");
    if (!IsShortSignature(attachment.shortSignature))
        return Refused(Line(5) + ", the short signature \"" + attachment.shortSignature +
                       "\", is not hexadecimal digits, \"-\" and decimal digits");
    return {std::move(attachment), {}, true};
}

}  // namespace

AttachmentReading ReadStandAloneAttachment(std::string_view tail) {
    if (!tail.ends_with(kStandAloneMarker)) return Refused("the file does not end with WEBPROG", false);
    std::size_t end = tail.size() - kStandAloneMarker.size();
    if (!tail.substr(0, end).ends_with(kLineEnd)) return Refused("WEBPROG does not stand on a line of its own");
    end -= kLineEnd.size();
    // From the last line back to the second: each starts just after the line end before it.
    std::array<std::string_view, kLines> lines;
    for (std::size_t n = kLines; n >= 2; --n) {
        std::size_t start = end;
        while (start > 0 && end - start <= kStandAloneLineLimit && !IsControl(tail[start - 1])) --start;
        if (end - start > kStandAloneLineLimit)
            return Refused(Line(n) + " is longer than " + std::to_string(kStandAloneLineLimit) + " bytes");
        if (start < kLineEnd.size() || tail.substr(start - kLineEnd.size(), kLineEnd.size()) != kLineEnd)
            return Refused(Line(n) + " holds a control character, or fewer than five lines stand before WEBPROG");
        lines[n - 1] = tail.substr(start, end - start);
        end = start - kLineEnd.size();
    }
    lines[0] = FirstLine(tail, end);
    return Validated(lines);
}

AttachmentReading ReadStandAloneAttachment(Files& files, const std::string& path) {
    auto file = files.OpenShared(path);
    if (!file) return Refused("the file cannot be opened", false);
    const std::uint64_t size = file->Size();
    std::string tail(static_cast<std::size_t>(std::min<std::uint64_t>(size, kStandAloneTailLimit)), '\0');
    if (file->ReadAt(size - tail.size(), reinterpret_cast<unsigned char*>(tail.data()), tail.size()) != tail.size())
        return Refused("the file cannot be read", false);
    return ReadStandAloneAttachment(tail);
}

std::string StandAlonePageUrl(const StandAloneAttachment& attachment) {
    return attachment.publicationUrl + attachment.scriptCabinet;
}

bool CallAsThePageDoes(VexaLoader& control, const std::string& pageUrl, const std::string& script) {
    if (!control.Test1()) return false;
    control.DefineCustomEvent("GOTO URL");
    control.DefineCustomEvent("PREVIOUS PAGE");
    control.SetCurrentUrl(pageUrl);
    return control.RunScript(script);
}

bool CallAsAStandAloneProgram(VexaLoader& control, const StandAloneAttachment& attachment) {
    control.SetStandAloneMode(true);
    return CallAsThePageDoes(control, StandAlonePageUrl(attachment), attachment.scriptCabinet);
}

void FollowCustomEvent(Shell& shell, const std::string& name, const std::string& text,
                       const std::function<void()>& leave) {
    if (name == "GOTO URL" && UrlRefusal(text).empty()) shell.Open(text);
    if (name == "PREVIOUS PAGE") leave();
}

}  // namespace vexa::loader
