#include "platform/posix/curl_internet.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "common/text.hpp"

namespace vexa {
namespace {

// Body bytes that arrive beyond what the current read asked for wait here. When it is full
// the transfer is paused, so memory stays bounded whatever the size of the body; it holds
// more than one delivery of libcurl (CURL_MAX_WRITE_SIZE).
constexpr std::size_t kSpillBytes = 256 * 1024;
// Large socket reads keep system calls few on fast links.
constexpr long kReceiveBuffer = 128 * 1024;
// A wait on the network ends after this long whatever happens; closing a session ends it at once.
constexpr int kPollMs = 1000;
// A request whose server sends nothing for this long fails, as the system's would.
constexpr long kSilentServerSeconds = 300;

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Multi = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// One entry per line that is not empty: "Accept: */*\r\n\r\n" gives "Accept: */*".
HeaderList ParseHeaders(const std::string& headers) {
    curl_slist* list = nullptr;
    for (std::size_t start = 0; start < headers.size();) {
        std::size_t end = std::min(headers.find('\n', start), headers.size());
        std::string line = headers.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (curl_slist* longer = line.empty() ? nullptr : curl_slist_append(list, line.c_str())) list = longer;
        start = end + 1;
    }
    return HeaderList(list);
}

// What every transfer shares: the agent, the request headers (which must outlive it),
// redirections followed, and only HTTP and HTTPS, or with `secureOnly` only HTTPS, on
// redirections too; the machine's own trusted roots beside the system's (whose folder
// libcurl still searches). Transfers run on worker threads, so libcurl must not use signals.
Easy NewTransfer(const std::string& url, const std::string& agent, curl_slist* headers, bool secureOnly,
                 const std::filesystem::path& trustedRoots) {
    Easy easy(curl_easy_init());
    if (!easy) return easy;
    const char* schemes = secureOnly ? "https" : "http,https";
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy.get(), CURLOPT_PROTOCOLS_STR, schemes);
    curl_easy_setopt(easy.get(), CURLOPT_REDIR_PROTOCOLS_STR, schemes);
    curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_BUFFERSIZE, kReceiveBuffer);
    std::error_code ignored;
    if (!trustedRoots.empty() && std::filesystem::is_regular_file(trustedRoots, ignored))
        curl_easy_setopt(easy.get(), CURLOPT_CAINFO, trustedRoots.c_str());
    return easy;
}

constexpr const char* kClosedText = "session closed";
constexpr const char* kCacheText = "the Internet cache cannot take the file";
constexpr const char* kStartText = "libcurl cannot start a transfer";

// What a session shares with the responses opened on it, which may outlive it. Closing
// wakes every transfer waiting on the network, from whichever thread closes.
class SessionLink {
public:
    bool Closed() const { return closed_; }
    void SetError(std::string text) {
        std::lock_guard lock(mutex_);
        error_ = std::move(text);
    }
    std::string Error() const {
        std::lock_guard lock(mutex_);
        return error_;
    }
    // False once closed, so that a transfer opened later never waits.
    bool Join(CURLM* multi) {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        waiting_.push_back(multi);
        return true;
    }
    void Leave(CURLM* multi) {
        std::lock_guard lock(mutex_);
        std::erase(waiting_, multi);
    }
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        for (CURLM* multi : waiting_) curl_multi_wakeup(multi);
    }

private:
    mutable std::mutex mutex_;
    std::atomic<bool> closed_{false};
    std::vector<CURLM*> waiting_;
    std::string error_;
};

// libcurl pushes the body as it arrives; a read pulls it. Each response drives its own
// transfer on the reading thread: a read runs the transfer until bytes come for it, and
// libcurl hands them straight into the reader's buffer.
class CurlResponse final : public InternetResponse {
public:
    explicit CurlResponse(std::shared_ptr<SessionLink> link) : link_(std::move(link)) { spill_.reserve(kSpillBytes); }
    ~CurlResponse() override {
        if (joined_) link_->Leave(multi_.get());
        if (multi_ && easy_) curl_multi_remove_handle(multi_.get(), easy_.get());
    }
    CurlResponse(const CurlResponse&) = delete;
    CurlResponse& operator=(const CurlResponse&) = delete;

    // Sends the request and waits for the response's headers; false when no response
    // worth reading came.
    bool Open(const UrlCache& cache, const std::filesystem::path& trustedRoots, const std::string& agent,
              const std::string& url, const std::string& headers, bool secure);

    std::optional<std::uint64_t> ContentLength() override { return length_; }
    std::optional<std::size_t> Read(unsigned char* into, std::size_t n) override;

private:
    static std::size_t OnHeader(char* data, std::size_t, std::size_t size, void* self);
    static std::size_t OnBody(char* data, std::size_t, std::size_t size, void* self);
    template <typename Ready>
    void RunUntil(Ready ready);
    std::size_t TakeSpill(unsigned char* into, std::size_t n);
    // Why the transfer ended badly: libcurl's own words for it.
    std::string TransferError() const;
    bool FailOpen(std::string error);
    std::optional<std::size_t> Fail(std::string error);

    std::shared_ptr<SessionLink> link_;
    HeaderList headers_;
    Easy easy_;
    Multi multi_;
    bool joined_ = false;
    // Where the body goes as it is read; null once it has become the URL's entry.
    std::unique_ptr<CacheEntryWriter> entry_;

    int status_ = 0;
    bool locationGiven_ = false;
    bool headersIn_ = false;
    std::optional<std::uint64_t> length_;

    bool paused_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    bool failed_ = false;

    // The reader's buffer while a read runs.
    unsigned char* target_ = nullptr;
    std::size_t room_ = 0;
    std::size_t filled_ = 0;
    std::vector<unsigned char> spill_;
    std::size_t spillTaken_ = 0;
};

bool CurlResponse::Open(const UrlCache& cache, const std::filesystem::path& trustedRoots, const std::string& agent,
                        const std::string& url, const std::string& headers, bool secure) {
    headers_ = ParseHeaders(headers);
    easy_ = NewTransfer(url, agent, headers_.get(), secure, trustedRoots);
    multi_.reset(curl_multi_init());
    if (!easy_ || !multi_) return FailOpen(kStartText);
    curl_easy_setopt(easy_.get(), CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy_.get(), CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy_.get(), CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_.get(), CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy_.get(), CURLOPT_WRITEDATA, this);
    // A proxy's answer to CONNECT is not the response.
    curl_easy_setopt(easy_.get(), CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) return FailOpen(kStartText);
    joined_ = link_->Join(multi_.get());
    if (!joined_) return FailOpen(kClosedText);
    RunUntil([this] { return headersIn_; });
    if (link_->Closed()) return FailOpen(kClosedText);
    if (!headersIn_) return FailOpen(TransferError());
    if (status_ >= 400) return FailOpen("HTTP " + std::to_string(status_));
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0)
        length_ = static_cast<std::uint64_t>(length);
    entry_ = cache.Begin(url);
    return entry_ != nullptr || FailOpen(kCacheText);
}

// Header lines come in blocks, each opened by a status line. Interim answers (1xx) and
// redirections that will be followed have blocks of their own before the response's.
std::size_t CurlResponse::OnHeader(char* data, std::size_t, std::size_t size, void* self) {
    auto& response = *static_cast<CurlResponse*>(self);
    std::string_view line(data, size);
    if (line.starts_with("HTTP/")) {
        std::size_t space = line.find(' ');
        response.status_ = 0;
        if (space != std::string_view::npos)
            std::from_chars(line.data() + space + 1, line.data() + line.size(), response.status_);
        response.locationGiven_ = false;
    } else if (StartsWithIgnoreCase(line, "Location:")) {
        response.locationGiven_ = true;
    } else if (line == "\r\n" || line == "\n") {
        bool interim = response.status_ / 100 == 1;
        bool followed = response.status_ / 100 == 3 && response.locationGiven_;
        response.headersIn_ = !interim && !followed;
    }
    return size;
}

// A delivery is taken whole or not at all: a paused one comes again, whole, once the
// transfer goes on. What does not fit the reader's buffer waits in the spill.
std::size_t CurlResponse::OnBody(char* data, std::size_t, std::size_t size, void* self) {
    auto& response = *static_cast<CurlResponse*>(self);
    std::size_t direct = std::min(size, response.room_ - response.filled_);
    if (response.spill_.size() + (size - direct) > kSpillBytes) {
        response.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (direct > 0) std::memcpy(response.target_ + response.filled_, data, direct);
    response.filled_ += direct;
    response.spill_.insert(response.spill_.end(), data + direct, data + size);
    return size;
}

// Runs the transfer until `ready` holds, the transfer ends or the session is closed. A
// paused transfer goes on first: it is only run once its spilled bytes have been taken.
template <typename Ready>
void CurlResponse::RunUntil(Ready ready) {
    while (!ready() && !done_ && !link_->Closed()) {
        if (paused_) {
            paused_ = false;
            curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
        }
        int running = 0;
        curl_multi_perform(multi_.get(), &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            done_ = true;
            result_ = message->data.result;
        }
        if (!ready() && !done_) curl_multi_poll(multi_.get(), nullptr, 0, kPollMs, nullptr);
    }
}

std::size_t CurlResponse::TakeSpill(unsigned char* into, std::size_t n) {
    std::size_t count = std::min(n, spill_.size() - spillTaken_);
    if (count > 0) std::memcpy(into, spill_.data() + spillTaken_, count);
    spillTaken_ += count;
    if (spillTaken_ == spill_.size()) {
        spill_.clear();
        spillTaken_ = 0;
    }
    return count;
}

std::string CurlResponse::TransferError() const {
    if (errorBuffer_[0] != '\0') return errorBuffer_;
    return done_ ? curl_easy_strerror(result_) : "no response";
}

bool CurlResponse::FailOpen(std::string error) {
    link_->SetError(std::move(error));
    return false;
}

std::optional<std::size_t> CurlResponse::Fail(std::string error) {
    if (!failed_) link_->SetError(std::move(error));
    failed_ = true;
    entry_.reset();
    return std::nullopt;
}

std::optional<std::size_t> CurlResponse::Read(unsigned char* into, std::size_t n) {
    if (failed_) return std::nullopt;
    if (link_->Closed()) return Fail(kClosedText);
    if (n == 0) return 0;
    target_ = into;
    room_ = n;
    filled_ = TakeSpill(into, n);
    RunUntil([this] { return filled_ > 0; });
    target_ = nullptr;
    room_ = 0;
    if (link_->Closed()) return Fail(kClosedText);
    if (filled_ > 0) return entry_->Append(into, filled_) ? std::optional(filled_) : Fail(kCacheText);
    // The end: libcurl has checked the body against the announced length and the chunk framing.
    if (result_ != CURLE_OK) return Fail(TransferError());
    if (entry_ && !entry_->Commit()) return Fail(kCacheText);
    entry_.reset();
    return 0;
}

class CurlSession final : public InternetSession {
public:
    CurlSession(const UrlCache& cache, const std::filesystem::path& trustedRoots, std::string agent)
        : cache_(cache), trustedRoots_(trustedRoots), agent_(std::move(agent)) {}
    ~CurlSession() override { link_->Close(); }
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    std::unique_ptr<InternetResponse> OpenUrl(const std::string& url, const std::string& headers,
                                              bool secure) override {
        auto response = std::make_unique<CurlResponse>(link_);
        if (!response->Open(cache_, trustedRoots_, agent_, url, headers, secure)) return nullptr;
        return response;
    }
    void Close() override { link_->Close(); }
    std::string LastError() const override { return link_->Error(); }

private:
    const UrlCache& cache_;
    const std::filesystem::path& trustedRoots_;
    std::string agent_;
    std::shared_ptr<SessionLink> link_ = std::make_shared<SessionLink>();
};

// One request on a transfer of its own, run on the calling thread until it ends or is stopped.
class CurlRequest {
public:
    CurlRequest(const HttpRequest& request, const std::filesystem::path& trustedRoots);
    ~CurlRequest() {
        if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
    }
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    HttpResult Run(RequestStop& stop);

private:
    static std::size_t OnHeader(char* data, std::size_t, std::size_t size, void* self);
    static std::size_t OnBody(char* data, std::size_t, std::size_t size, void* self);
    static HttpResult Failed(RequestFailure failure, std::string error);
    RequestFailure StageOf(CURLcode code) const;

    const HttpRequest& request_;
    HeaderList headers_;
    Multi multi_;
    Easy easy_;
    bool attached_ = false;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    bool answered_ = false;  // a status line came
    bool tooLong_ = false;
    HttpResult result_;
};

// "http://host:port/object", which libcurl takes apart again.
std::string RequestUrl(const HttpRequest& request) {
    return std::string(request.secure ? "https://" : "http://") + request.host + ":" + std::to_string(request.port) +
           request.object;
}

CurlRequest::CurlRequest(const HttpRequest& request, const std::filesystem::path& trustedRoots)
    : request_(request), headers_(ParseHeaders(request.headers)), multi_(curl_multi_init()) {
    easy_ = NewTransfer(RequestUrl(request), request.agent, headers_.get(), request.secure, trustedRoots);
    if (!easy_) return;
    CURL* easy = easy_.get();
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kSilentServerSeconds);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    bool posting = request.method == "POST" || !request.body.empty();
    if (posting) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    }
    if (request.method != (posting ? "POST" : "GET")) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (!request.user.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
    }
}

std::size_t CurlRequest::OnHeader(char* data, std::size_t, std::size_t size, void* self) {
    auto& request = *static_cast<CurlRequest*>(self);
    request.answered_ = request.answered_ || std::string_view(data, size).starts_with("HTTP/");
    return size;
}

std::size_t CurlRequest::OnBody(char* data, std::size_t, std::size_t size, void* self) {
    auto& request = *static_cast<CurlRequest*>(self);
    std::string& body = request.result_.body;
    if (size > request.request_.bodyLimit - body.size()) {
        request.tooLong_ = true;
        return 0;  // ends the transfer
    }
    body.append(data, size);
    return size;
}

HttpResult CurlRequest::Failed(RequestFailure failure, std::string error) {
    HttpResult result;
    result.failure = failure;
    result.error = std::move(error);
    return result;
}

// Where in the exchange libcurl's failure happened.
RequestFailure CurlRequest::StageOf(CURLcode code) const {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return RequestFailure::Connection;
    case CURLE_URL_MALFORMAT:
        return RequestFailure::Open;
    default:
        return answered_ ? RequestFailure::Answer : RequestFailure::Send;
    }
}

HttpResult CurlRequest::Run(RequestStop& stop) {
    if (!easy_ || !multi_) return Failed(RequestFailure::Session, kStartText);
    if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) return Failed(RequestFailure::Open, kStartText);
    attached_ = true;
    CURLM* multi = multi_.get();
    if (!stop.Enter([multi] { curl_multi_wakeup(multi); })) return Failed(RequestFailure::Stopped, "stopped");
    std::optional<CURLcode> outcome;
    while (!outcome && !stop.Stopped()) {
        int running = 0;
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left))
            if (message->msg == CURLMSG_DONE) outcome = message->data.result;
        if (!outcome) curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
    }
    stop.Leave();
    if (!outcome) return Failed(RequestFailure::Stopped, "stopped");
    if (tooLong_)
        return Failed(RequestFailure::Answer,
                      "the answer is longer than " + std::to_string(request_.bodyLimit) + " bytes");
    if (*outcome != CURLE_OK)
        return Failed(StageOf(*outcome), errorBuffer_[0] != '\0' ? errorBuffer_ : curl_easy_strerror(*outcome));
    long status = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
    result_.status = static_cast<int>(status);
    return std::move(result_);
}

}  // namespace

// libcurl's global state is made once, before the first transfer, and kept for the process.
CurlInternet::CurlInternet(std::filesystem::path cacheFolder, std::filesystem::path trustedRoots)
    : cache_(std::move(cacheFolder)), trustedRoots_(std::move(trustedRoots)) {
    static const CURLcode global = curl_global_init(CURL_GLOBAL_DEFAULT);
    static_cast<void>(global);
}

std::unique_ptr<InternetSession> CurlInternet::OpenSession(const std::string& agent) {
    return std::make_unique<CurlSession>(cache_, trustedRoots_, agent);
}

std::optional<std::string> CurlInternet::CachedFile(const std::string& url) { return cache_.Find(url); }

HttpResult CurlInternet::Request(const HttpRequest& request, RequestStop& stop) {
    return CurlRequest(request, trustedRoots_).Run(stop);
}

}  // namespace vexa
