#include "common/url.hpp"

#include <algorithm>
#include <cstddef>

#include "common/text.hpp"

namespace vexa {
namespace {

// The parts of a URL, each with its delimiter ("http:", "//host", "?q", "#f"), so
// an empty part is an absent one and the parts concatenate back to the URL.
struct RawUrl {
    std::string_view scheme;
    std::string_view authority;
    std::string_view path;
    std::string_view query;
    std::string_view fragment;
};

// A page address whose canonical form does not fit this buffer, terminating zero
// included, is used as given.
constexpr std::size_t kCanonicalBufferSize = 300;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// "C:" alone or followed by a separator.
bool StartsWithDrive(std::string_view text) {
    return text.size() >= 2 && IsAlpha(text[0]) && text[1] == ':' &&
           (text.size() == 2 || IsSeparator(text[2]));
}

bool IsWindowsFileName(std::string_view text) {
    return StartsWithDrive(text) || text.starts_with("\\\\");
}

// Length of the scheme including its ":", or 0 when there is none.
std::size_t SchemeLength(std::string_view url) {
    if (url.empty() || !IsAlpha(url[0]) || StartsWithDrive(url)) return 0;
    const auto isSchemeChar = [](char c) {
        return IsAlpha(c) || IsDigit(c) || c == '+' || c == '-' || c == '.';
    };
    const auto end = std::ranges::find_if_not(url, isSchemeChar);
    return end != url.end() && *end == ':' ? static_cast<std::size_t>(end - url.begin()) + 1 : 0;
}

// Removes and returns the tail of text from the first delim on.
std::string_view CutFrom(std::string_view& text, char delim) {
    const std::size_t at = std::min(text.find(delim), text.size());
    const std::string_view tail = text.substr(at);
    text.remove_suffix(tail.size());
    return tail;
}

RawUrl Parse(std::string_view url) {
    RawUrl raw;
    raw.scheme = url.substr(0, SchemeLength(url));
    url.remove_prefix(raw.scheme.size());
    raw.fragment = CutFrom(url, '#');
    raw.query = CutFrom(url, '?');
    if (url.starts_with("//")) {
        raw.authority = url.substr(0, url.find_first_of("/\\", 2));
        url.remove_prefix(raw.authority.size());
    }
    raw.path = url;
    return raw;
}

// "/C:" at the start of a file URL's path; empty for any other path.
std::string_view DriveRoot(std::string_view scheme, std::string_view path) {
    const bool isRoot = EqualsIgnoreCase(scheme, "file:") && !path.empty() && IsSeparator(path[0]) &&
                        StartsWithDrive(path.substr(1));
    return isRoot ? path.substr(0, 3) : std::string_view();
}

void PopLastSegment(std::string& out) {
    const std::size_t at = out.find_last_of("/\\");
    out.resize(at == std::string::npos ? 0 : at);
}

// RFC 3986 section 5.2.4, with "\" as a second separator.
std::string RemoveDotSegments(std::string_view in) {
    std::string out;
    while (!in.empty()) {
        const std::size_t lead = IsSeparator(in[0]) ? 1 : 0;
        const std::size_t end = std::min(in.find_first_of("/\\", lead), in.size());
        const std::string_view segment = in.substr(lead, end - lead);
        if (segment != "." && segment != "..") {
            out += in.substr(0, end);
            in.remove_prefix(end);
            continue;
        }
        if (segment == "..") PopLastSegment(out);
        if (!lead) {
            in.remove_prefix(std::min(end + 1, in.size()));
        } else if (end < in.size()) {
            in.remove_prefix(end);
        } else {
            in = in.substr(0, 1);  // a final dot segment leaves its separator
        }
    }
    return out;
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    const char upper = ToUpperAnsi(c);
    return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

// The byte that a "%XX" escape at text[i] stands for, or -1.
int EscapedByte(std::string_view text, std::size_t i) {
    if (text[i] != '%' || i + 2 >= text.size()) return -1;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

std::string DecodeEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int byte = EscapedByte(text, i);
        // A decoded zero byte would cut the URL short wherever it is passed on as C text.
        if (byte <= 0) {
            out += text[i];
            continue;
        }
        out += static_cast<char>(byte);
        i += 2;
    }
    return out;
}

std::string MergePaths(const RawUrl& base, std::string_view referencePath) {
    if (!base.authority.empty() && base.path.empty()) return "/" + std::string(referencePath);
    const std::size_t cut = base.path.find_last_of("/\\");
    const std::size_t keep = cut == std::string_view::npos ? 0 : cut + 1;
    return std::string(base.path.substr(0, keep)) + std::string(referencePath);
}

// A path that starts at the root stays on the base's drive unless it names its own.
std::string TargetPath(const RawUrl& base, std::string_view referencePath) {
    if (!IsSeparator(referencePath[0])) return MergePaths(base, referencePath);
    const bool ownDrive = !DriveRoot(base.scheme, referencePath).empty();
    return std::string(ownDrive ? std::string_view() : DriveRoot(base.scheme, base.path)) +
           std::string(referencePath);
}

// RFC 3986 section 5.2.2 without its dot-segment removal, which canonicalising does.
std::string Resolve(const RawUrl& base, const RawUrl& ref) {
    std::string target;
    if (!ref.scheme.empty()) {
        target.append(ref.scheme).append(ref.authority).append(ref.path).append(ref.query);
    } else if (!ref.authority.empty()) {
        target.append(base.scheme).append(ref.authority).append(ref.path).append(ref.query);
    } else if (ref.path.empty()) {
        target.append(base.scheme).append(base.authority).append(base.path);
        target.append(ref.query.empty() ? base.query : ref.query);
    } else {
        target.append(base.scheme).append(base.authority);
        target.append(TargetPath(base, ref.path)).append(ref.query);
    }
    return target.append(ref.fragment);
}

// "user:password@host:port"; every piece may be missing.
void SplitAuthority(std::string_view authority, UrlParts& parts) {
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t colon = std::min(userInfo.find(':'), userInfo.size());
        parts.user = userInfo.substr(0, colon);
        parts.password = userInfo.substr(std::min(colon + 1, userInfo.size()));
        authority.remove_prefix(at + 1);
    }
    // The colons inside an IPv6 address's brackets do not start the port.
    const std::size_t colon = authority.find(':', authority.starts_with('[') ? authority.find(']') : 0);
    parts.host = authority.substr(0, colon);
    if (colon != std::string_view::npos) parts.port = authority.substr(colon + 1);
}

}  // namespace

bool UrlPartsFit(const UrlParts& parts) {
    for (const std::string* part : {&parts.scheme, &parts.host, &parts.path, &parts.extra}) {
        if (part->size() > kUrlPartLimit) return false;
    }
    return true;
}

std::optional<UrlParts> SplitUrl(std::string_view url) {
    const RawUrl raw = Parse(url);
    if (raw.scheme.empty()) return std::nullopt;
    UrlParts parts;
    parts.scheme = raw.scheme.substr(0, raw.scheme.size() - 1);
    parts.path = raw.path;
    parts.extra = std::string(raw.query) + std::string(raw.fragment);
    if (!raw.authority.empty()) SplitAuthority(raw.authority.substr(2), parts);
    return parts;
}

std::string CanonicalizeUrl(std::string_view url) {
    const RawUrl raw = Parse(url);
    if (raw.scheme.empty()) return DecodeEscapes(url);
    const std::string_view root = DriveRoot(raw.scheme, raw.path);
    std::string out;
    out.append(raw.scheme).append(raw.authority).append(root);
    out.append(RemoveDotSegments(raw.path.substr(root.size())));
    out.append(raw.query).append(raw.fragment);
    return DecodeEscapes(out);
}

std::optional<std::string> CombineUrl(std::string_view base, std::string_view reference) {
    const RawUrl baseParts = Parse(base);
    if (baseParts.scheme.empty() || IsWindowsFileName(reference)) return std::nullopt;
    return CanonicalizeUrl(Resolve(baseParts, Parse(reference)));
}

std::string PageBaseUrl(std::string_view pageUrl) {
    std::string url = CanonicalizeUrl(pageUrl);
    if (url.size() >= kCanonicalBufferSize) url = pageUrl;

    const RawUrl raw = Parse(url);
    url.resize(url.size() - raw.query.size() - raw.fragment.size());
    if (url.size() >= 2 && url[url.size() - 2] == '\\') url.resize(url.size() - 2);
    const std::size_t cut = url.find_last_of("/\\");
    url.resize(cut == std::string::npos ? 0 : cut + 1);
    return url;
}

}  // namespace vexa
