#pragma once
// HTTP and HTTPS as the system's Internet layer offers them: a session, URLs opened on it
// with request headers, the body read in blocks, and the cache that keeps what was read
// as a local file.

#include <cstddef>
#include <cstdint>
#include <memory>
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

struct HttpRequest {
    std::string method;  // "GET", "POST", ...
    std::string url;
    std::string headers;  // CR LF separated
    std::string body;
    std::string user;  // basic credentials, sent when not empty
    std::string password;
    std::string agent;  // names the client, as for a session
};

struct HttpResult {
    int status = 0;  // 0 when no answer came
    std::string body;
};

class Internet {
public:
    virtual ~Internet() = default;
    // A session using the preconfigured proxy settings; `agent` names the client.
    virtual std::unique_ptr<InternetSession> OpenSession(const std::string& agent) = 0;
    // The local file that holds the complete body last fetched for `url`, if any.
    virtual std::optional<std::string> CachedFile(const std::string& url) = 0;
    // One whole request, answered in full by the server, never by the cache.
    virtual HttpResult Request(const HttpRequest& request) = 0;
};

}  // namespace vexa
