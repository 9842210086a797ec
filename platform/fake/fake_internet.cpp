#include "platform/fake/fake_internet.hpp"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

#include "common/file_name.hpp"

namespace vexa {

class FakeResponse final : public InternetResponse {
public:
    FakeResponse(FakeInternet& internet, std::size_t session, std::string url, FakeInternet::Reply reply)
        : internet_(internet), session_(session), url_(std::move(url)), reply_(std::move(reply)) {}

    std::optional<std::uint64_t> ContentLength() override {
        return reply_.announceLength ? std::optional<std::uint64_t>(reply_.body.size()) : std::nullopt;
    }

    std::optional<std::size_t> Read(unsigned char* into, std::size_t n) override {
        std::unique_lock lock(internet_.mutex_);
        if (!PassStall(lock)) return Failed("session closed");
        if (reply_.failAfter && delivered_ >= *reply_.failAfter) return Failed("connection reset");
        if (delivered_ == reply_.body.size()) {
            if (!kept_) internet_.Keep(url_, reply_);
            kept_ = true;
            return 0;
        }
        std::size_t count = std::min(n, reply_.body.size() - delivered_);
        if (piece_ < reply_.pieces.size()) count = std::min(count, reply_.pieces[piece_++]);
        for (const auto& limit : {reply_.failAfter, reply_.stallAfter})
            if (limit && delivered_ < *limit) count = std::min(count, *limit - delivered_);
        std::memcpy(into, reply_.body.data() + delivered_, count);
        delivered_ += count;
        return count;
    }

private:
    std::optional<std::size_t> Failed(const char* error) {
        internet_.sessions_[session_].lastError = error;
        return std::nullopt;
    }
    // False when the session is (or becomes) closed.
    bool PassStall(std::unique_lock<std::mutex>& lock) {
        auto closed = [this] { return internet_.sessions_[session_].closed; };
        if (!closed() && reply_.stallAfter && delivered_ == *reply_.stallAfter && !internet_.released_) {
            ++internet_.stalled_;
            internet_.changed_.notify_all();
            internet_.changed_.wait(lock, [&] { return closed() || internet_.released_; });
            --internet_.stalled_;
        }
        return !closed();
    }

    FakeInternet& internet_;
    std::size_t session_;
    std::string url_;
    FakeInternet::Reply reply_;
    std::size_t delivered_ = 0;
    std::size_t piece_ = 0;
    bool kept_ = false;
};

class FakeSession final : public InternetSession {
public:
    FakeSession(FakeInternet& internet, std::size_t index) : internet_(internet), index_(index) {}
    ~FakeSession() override { Close(); }
    FakeSession(const FakeSession&) = delete;
    FakeSession& operator=(const FakeSession&) = delete;

    std::unique_ptr<InternetResponse> OpenUrl(const std::string& url, const std::string& headers,
                                              bool secure) override {
        std::lock_guard lock(internet_.mutex_);
        internet_.opened_.push_back({index_, url, headers, secure});
        auto reply = internet_.replies_.find(url);
        const int status = reply == internet_.replies_.end() ? 0 : reply->second.status;
        std::string error = internet_.sessions_[index_].closed ? "session closed"
                            : status == 0                      ? "connection refused"
                            : status >= 400                    ? "HTTP " + std::to_string(status)
                                                               : "";
        if (error.empty()) return std::make_unique<FakeResponse>(internet_, index_, url, reply->second);
        internet_.sessions_[index_].lastError = std::move(error);
        return nullptr;
    }

    std::string LastError() const override {
        std::lock_guard lock(internet_.mutex_);
        return internet_.sessions_[index_].lastError;
    }

    void Close() override {
        std::lock_guard lock(internet_.mutex_);
        internet_.sessions_[index_].closed = true;
        internet_.changed_.notify_all();
    }

private:
    FakeInternet& internet_;
    std::size_t index_;
};

FakeInternet::~FakeInternet() {
    std::error_code ignored;
    if (!ownFiles_.empty()) std::filesystem::remove_all(ownFiles_, ignored);
}

FakeInternet::Reply& FakeInternet::Script(const std::string& url, std::string body) {
    std::lock_guard lock(mutex_);
    Reply& reply = replies_[url] = Reply();
    reply.body = std::move(body);
    return reply;
}

void FakeInternet::ScriptRequest(const std::string& object, HttpResult result, bool stall) {
    std::lock_guard lock(mutex_);
    requestReplies_[object] = {std::move(result), stall};
}

void FakeInternet::PutCacheEntry(const std::string& url, const std::string& path) {
    std::lock_guard lock(mutex_);
    cache_[url] = path;
}

void FakeInternet::Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

bool FakeInternet::WaitForStall(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return stalled_ > 0; });
}

std::vector<FakeInternet::Session> FakeInternet::Sessions() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

std::vector<FakeInternet::OpenedUrl> FakeInternet::Opened() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

std::vector<HttpRequest> FakeInternet::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::unique_ptr<InternetSession> FakeInternet::OpenSession(const std::string& agent) {
    std::lock_guard lock(mutex_);
    if (refuseSessions_) return nullptr;
    sessions_.push_back({agent, false, {}});
    return std::make_unique<FakeSession>(*this, sessions_.size() - 1);
}

std::optional<std::string> FakeInternet::CachedFile(const std::string& url) {
    std::lock_guard lock(mutex_);
    auto entry = cache_.find(url);
    return entry == cache_.end() ? std::nullopt : std::optional(entry->second);
}

// The stop wakes the wait under the fake's lock, so a stall cannot miss it.
HttpResult FakeInternet::Request(const HttpRequest& request, RequestStop& stop) {
    const bool entered = stop.Enter([this] {
        std::lock_guard lock(mutex_);
        changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    requests_.push_back(request);
    auto reply = requestReplies_.find(request.object);
    HttpResult result = reply == requestReplies_.end()
                            ? HttpResult{RequestFailure::Connection, 0, {}, "connection refused"}
                            : reply->second.result;
    if (entered && reply != requestReplies_.end() && reply->second.stall && !released_) {
        ++stalled_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return stop.Stopped() || released_; });
        --stalled_;
    }
    lock.unlock();
    if (entered) stop.Leave();
    if (stop.Stopped()) return {RequestFailure::Stopped, 0, {}, "stopped"};
    return result;
}

// Files of its own go to a folder per fake, one folder per entry, so each keeps the URL's
// file name as a real cache entry does.
void FakeInternet::Keep(const std::string& url, const Reply& reply) {
    std::filesystem::path path = reply.cacheFile;
    if (path.empty()) {
        if (ownFiles_.empty()) {
            std::string folder = "vexa-fake-internet-" + std::to_string(std::random_device()());
            ownFiles_ = std::filesystem::temp_directory_path() / folder;
        }
        std::string name(FileNamePart(url.substr(0, url.find_first_of("?#"))));
        path = ownFiles_ / std::to_string(cache_.size()) / (name.empty() ? "index" : name);
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << reply.body;
    cache_[url] = path.string();
}

}  // namespace vexa
