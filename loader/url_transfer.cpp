#include "loader/url_transfer.hpp"

#include <filesystem>
#include <vector>

#include "common/text.hpp"
#include "common/url.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

// Large blocks keep today's links busy; a dropped job still stops at once, since closing
// the session ends a read in progress.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::uint32_t kProgressIntervalMs = 250;
constexpr const char* kRequestHeaders = "Accept: */*\r\n\r\n";

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

bool IsFileUrl(const std::string& url) { return ToUpperAnsi(std::string_view(url).substr(0, 7)) == "FILE://"; }

// The session's word for a failure, or a plain one where it has none.
std::string ErrorOf(const InternetSession& session) {
    std::string error = session.LastError();
    return error.empty() ? "no answer" : error;
}

// Reads the body to its end; the Internet layer keeps what it reads in its cache. Empty,
// or why the body did not arrive; a stopped transfer needs no reason.
std::string ReadToEnd(TransferPorts ports, InternetSession& session, const std::string& url, bool secure,
                      const std::string& markerFile, const TransferProgress& progress) {
    auto response = session.OpenUrl(url, kRequestHeaders, secure);
    if (!response) return ErrorOf(session);
    auto announced = response->ContentLength();
    if (!announced) return "the server announced no length";
    std::vector<unsigned char> block(kBlockSize);
    std::uint64_t received = 0;
    std::uint32_t lastPost = ports.clock.TickCount();
    for (bool first = true;; first = false) {
        auto got = response->Read(block.data(), block.size());
        if (!got) return ErrorOf(session);
        if (*got == 0) return {};
        received += *got;
        if (!Exists(markerFile)) return "stopped";
        std::uint32_t now = ports.clock.TickCount();
        if (first || now - lastPost > kProgressIntervalMs) {
            progress(received, *announced);
            lastPost = now;
        }
    }
}

}  // namespace

std::shared_ptr<InternetSession> SessionSlot::Open(Internet& internet, const std::string& agent) {
    std::lock_guard lock(mutex_);
    if (closed_) return nullptr;
    session_ = internet.OpenSession(agent);
    return session_;
}

void SessionSlot::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    if (session_) session_->Close();
}

std::string UrlRefusal(const std::string& url) {
    if (IsFileUrl(url)) return {};
    auto parts = SplitUrl(url);
    if (!parts) return "not a URL";
    if (!UrlPartsFit(*parts)) return "a part of the URL is longer than " + std::to_string(kUrlPartLimit) + " characters";
    std::string scheme = ToUpperAnsi(parts->scheme);
    if (scheme != "HTTP" && scheme != "HTTPS") return "the scheme \"" + parts->scheme + "\" is not one of http, https, file";
    return {};
}

TransferResult TransferUrl(TransferPorts ports, const std::string& url, const std::string& markerFile,
                           SessionSlot& slot, const TransferProgress& progress) {
    if (IsFileUrl(url)) return {url.substr(7), {}};
    if (std::string refusal = UrlRefusal(url); !refusal.empty()) return {std::nullopt, refusal};
    auto parts = SplitUrl(url);
    // The agent is named after the file the URL fetches.
    auto session = slot.Open(ports.internet, parts->path.substr(parts->path.find_last_of("/\\") + 1));
    if (!session) return {std::nullopt, "no Internet session"};
    std::string failure =
        ReadToEnd(ports, *session, url, EqualsIgnoreCase(parts->scheme, "HTTPS"), markerFile, progress);
    slot.Close();
    if (!failure.empty()) return {std::nullopt, failure};
    if (auto cached = ports.internet.CachedFile(url)) return {cached, {}};
    std::error_code ec;
    if (fs::is_regular_file(url, ec)) return {url, {}};
    return {std::nullopt, "the Internet cache holds no file for it"};
}

}  // namespace vexa::loader
