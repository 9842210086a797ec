#pragma once
// HTTP and HTTPS as the system's Internet layer offers them: a session, URLs opened on it
// with request headers, the body read in blocks, and the cache that keeps what was read
// as a local file; and single requests with a method, a body and credentials.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vexa {

// An opened URL. A response is read on one thread; the session that opened it may be
// closed from another, which makes a read in progress or any later one fail at once.
// Destroying the session closes it.
class InternetResponse {
public:
    virtual ~InternetResponse() = default;
    // The length the server announced; empty when it sent none.
    virtual std::optional<std::uint64_t> ContentLength() = 0;
    // Reads up to n bytes: the count read (0 at the complete end of the body), or empty
    // on an error (a dropped connection, a body shorter than announced, a closed session).
    virtual std::optional<std::size_t> Read(unsigned char* into, std::size_t n) = 0;
};

class InternetSession {
public:
    virtual ~InternetSession() = default;
    // Opens `url` with the request `headers` (CR LF separated, as sent), following
    // redirections, and returns once the response's headers are in. `secure` asks for a
    // checked TLS transfer. Empty when the connection fails or the server answers with an
    // error status (400 and above). Once the body has been read to its end the cache holds
    // it under the URL; a body that fails on the way never becomes an entry.
    virtual std::unique_ptr<InternetResponse> OpenUrl(const std::string& url, const std::string& headers,
                                                      bool secure) = 0;
    // Callable from any thread; pending and later reads of this session fail, and so do
    // later opens.
    virtual void Close() = 0;
    // Why the last open on this session, or the last read of a response opened on it,
    // failed, as one line for a person: "HTTP 404", or the system's or the library's own
    // text. Empty while nothing has failed.
    virtual std::string LastError() const = 0;
};

// One request to a server, as a form post sends it: the host and port to connect to, and
// the object on the request line.
struct HttpRequest {
    std::string method;   // "GET", "POST", ...
    bool secure = false;  // HTTPS, the server's certificate checked
    std::string host;     // a name or an address; an IPv6 address in brackets
    std::uint16_t port = 0;
    std::string object;   // the path and query as sent: "/cgi-bin/echo?a=1"
    std::string headers;  // CR LF separated
    std::string body;
    std::string user;  // basic credentials, sent when not empty
    std::string password;
    std::string agent;  // names the client, as for a session
    // An answer whose body is longer fails, so no server can fill the memory.
    std::size_t bodyLimit = 64 * 1024 * 1024;
};

// The step a request failed at: no Internet session; no connection to the host (a refused
// or unreachable host, a name that does not resolve, a secure handshake refused); the
// request not made (the object or a header refused); no answer to it (sending, or the
// answer's status and headers); the answer's body broken off or too long; or stopped.
enum class RequestFailure { None, Session, Connection, Open, Send, Answer, Stopped };

struct HttpResult {
    RequestFailure failure = RequestFailure::None;
    int status = 0;     // the server's, whatever it is, once its answer came
    std::string body;   // the whole answer, never taken from a cache
    std::string error;  // why it failed, as one line for a person
};

// Stops a request from another thread. While a request runs, its adapter leaves here what
// ends the request's wait; a stop that comes first is kept, so the request then fails at
// once. One request at a time uses it.
class RequestStop {
public:
    void Stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        if (wake_) wake_();
    }
    bool Stopped() const { return stopped_; }

    // For adapters. `wake` runs on the stopping thread, with this object locked, so Leave
    // waits for it to return. False, and `wake` not kept, when already stopped.
    bool Enter(std::function<void()> wake) {
        std::lock_guard lock(mutex_);
        if (stopped_) return false;
        wake_ = std::move(wake);
        return true;
    }
    void Leave() {
        std::lock_guard lock(mutex_);
        wake_ = nullptr;
    }

private:
    std::mutex mutex_;
    std::atomic<bool> stopped_{false};
    std::function<void()> wake_;
};

class Internet {
public:
    virtual ~Internet() = default;
    // A session using the preconfigured proxy settings; `agent` names the client.
    virtual std::unique_ptr<InternetSession> OpenSession(const std::string& agent) = 0;
    // The local file that holds the complete body last fetched for `url`, if any.
    virtual std::optional<std::string> CachedFile(const std::string& url) = 0;
    // One whole request, answered in full by the server, never by the cache, with the
    // redirections it answers followed. `stop` ends it at once from another thread; a
    // server that sends nothing for minutes fails it.
    virtual HttpResult Request(const HttpRequest& request, RequestStop& stop) = 0;
};

}  // namespace vexa
