#pragma once
// An Internet for tests, scripted per URL: what the server answers, and how the body comes:
// in given pieces, failing or stalling after so many bytes. A body read to its end becomes
// a cache entry, a real file. Requests are scripted per object (the path and query on their
// request line), and may stall until they are stopped or released. Sessions, opened URLs and
// requests are recorded. Reads may run on a worker thread while the test looks on; one lock
// guards everything.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/internet.hpp"

namespace vexa {

class FakeInternet final : public Internet {
public:
    struct Reply {
        int status = 200;  // 0: the connection is refused; 400 and above: no response
        std::string body;
        bool announceLength = true;
        // The most that each read delivers, in turn; later reads get what they ask for.
        std::vector<std::size_t> pieces;
        // Reads fail once this many bytes have been delivered.
        std::optional<std::size_t> failAfter;
        // The read at this many bytes blocks until the session is closed (and fails) or the
        // test calls Release (and it goes on).
        std::optional<std::size_t> stallAfter;
        // Where the body is kept once read to its end; empty for a file of the fake's own.
        std::string cacheFile;
    };
    struct Session {
        std::string agent;
        bool closed = false;
        std::string lastError;  // "HTTP 404", "connection refused", "connection reset", "session closed"
    };
    struct OpenedUrl {
        std::size_t session;  // index into Sessions()
        std::string url;
        std::string headers;
        bool secure = false;
    };

    FakeInternet() = default;
    // Removes the cache files of its own.
    ~FakeInternet() override;
    FakeInternet(const FakeInternet&) = delete;
    FakeInternet& operator=(const FakeInternet&) = delete;

    // The reply of `url`, a 200 with `body` and its length, to adjust before the URL is
    // opened: internet.Script(url, body).stallAfter = 100. URLs without a reply refuse the
    // connection.
    Reply& Script(const std::string& url, std::string body = {});
    // The answer to requests for `object`; with `stall`, a request waits first until it is
    // stopped (and fails so) or the test calls Release. Objects without an answer refuse
    // the connection.
    void ScriptRequest(const std::string& object, HttpResult result, bool stall = false);
    // A cache entry that no transfer made.
    void PutCacheEntry(const std::string& url, const std::string& path);
    void RefuseSessions() { refuseSessions_ = true; }
    // Stalled reads and requests go on, and later ones pass their stall.
    void Release();
    // True once a read or a request is blocked at its stall; false if none is after `limit`.
    bool WaitForStall(std::chrono::milliseconds limit);

    std::vector<Session> Sessions() const;
    std::vector<OpenedUrl> Opened() const;
    std::vector<HttpRequest> Requests() const;

    std::unique_ptr<InternetSession> OpenSession(const std::string& agent) override;
    std::optional<std::string> CachedFile(const std::string& url) override;
    HttpResult Request(const HttpRequest& request, RequestStop& stop) override;

private:
    friend class FakeSession;
    friend class FakeResponse;

    // The body is complete: it becomes the URL's cache entry.
    void Keep(const std::string& url, const Reply& reply);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, Reply> replies_;
    struct RequestReply {
        HttpResult result;
        bool stall = false;
    };
    std::map<std::string, RequestReply> requestReplies_;
    std::map<std::string, std::string> cache_;
    bool refuseSessions_ = false;
    bool released_ = false;
    int stalled_ = 0;
    std::vector<Session> sessions_;
    std::vector<OpenedUrl> opened_;
    std::vector<HttpRequest> requests_;
    // Made on first use for the cache files without a chosen path.
    std::filesystem::path ownFiles_;
};

}  // namespace vexa
