#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/win32/wininet_internet.hpp"

namespace vexa {
namespace {

// The most that one read hands over: a response's reading thread reads into a block of this
// size of its own, and a request's answer is read in blocks of it.
constexpr std::size_t kBlock = 64 * 1024;

// A thread left to end by itself: it keeps the module that holds its code loaded until it
// has ended, so a control's library let go meanwhile is not unloaded under it.
struct DetachedWork {
    std::function<void()> work;
    HMODULE module;
};

DWORD WINAPI RunDetached(LPVOID parameter) {
    std::unique_ptr<DetachedWork> detached(static_cast<DetachedWork*>(parameter));
    const HMODULE module = detached->module;
    detached->work();
    detached.reset();
    ::FreeLibraryAndExitThread(module, 0);
}

bool StartDetached(std::function<void()> work) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RunDetached), &module))
        return false;
    auto detached = std::make_unique<DetachedWork>(DetachedWork{std::move(work), module});
    HANDLE thread = ::CreateThread(nullptr, 0, RunDetached, detached.get(), 0, nullptr);
    if (!thread) {
        ::FreeLibrary(module);
        return false;
    }
    detached.release();  // the thread's now
    ::CloseHandle(thread);
    return true;
}

struct HandleCloser {
    void operator()(HINTERNET handle) const { ::InternetCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// A number the response carries, such as its status or content length. It is read as text:
// Wine answers no 64-bit number, and a length may not fit 32 bits.
std::optional<std::uint64_t> NumberHeader(HINTERNET request, DWORD query) {
    char text[32];
    DWORD size = sizeof text;
    std::uint64_t value = 0;
    if (!::HttpQueryInfoA(request, query, text, &size, nullptr) ||
        std::from_chars(text, text + size, value).ec != std::errc())
        return std::nullopt;
    return value;
}

constexpr const char* kClosedText = "session closed";

// The system's text for an error of WinInet (12001 and up, in WinInet's own table) or of
// the system, on one line.
std::string ErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    DWORD size = ::FormatMessageA(flags, ::GetModuleHandleA("wininet.dll"), code, 0, reinterpret_cast<char*>(&text),
                                  0, nullptr);
    std::string line = size > 0 ? std::string(text, size) : std::string();
    if (text) ::LocalFree(text);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line.empty() ? "error " + std::to_string(code) : line + " (" + std::to_string(code) + ")";
}

// A session's handle and what its responses wait on; the responses and their reading
// threads may outlive the session object. Closing the handle closes the responses' handles
// too, and none of them is touched again: the system may give their values to new handles.
struct SessionState {
    explicit SessionState(HINTERNET session) : handle(session) {}

    bool Closed() {
        std::lock_guard lock(mutex);
        return closed;
    }
    void Close() {
        std::lock_guard lock(mutex);
        if (!closed) ::InternetCloseHandle(handle);
        closed = true;
        changed.notify_all();
    }
    void SetError(std::string text) {
        std::lock_guard lock(mutex);
        lastError = std::move(text);
    }
    std::string Error() {
        std::lock_guard lock(mutex);
        return lastError;
    }

    const HINTERNET handle;
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    std::string lastError;  // guarded by the mutex, as the rest
};

// One response's reads, handed between the reader and the response's reading thread.
struct Exchange {
    std::size_t asked = 0;  // above 0 while a read waits for the thread
    bool answered = false;
    std::optional<std::size_t> got;
    DWORD error = 0;  // the system's, when the read failed
    bool abandoned = false;  // the response is gone
    std::vector<unsigned char> block = std::vector<unsigned char>(kBlock);
};

// Takes what has arrived, waiting only while nothing has: a read of the system would wait
// until the whole buffer is full.
std::optional<std::size_t> ReadArrived(HINTERNET request, unsigned char* into, std::size_t n) {
    DWORD available = 0;
    DWORD got = 0;
    if (!::InternetQueryDataAvailable(request, &available, 0, 0) ||
        !::InternetReadFile(request, into, static_cast<DWORD>(available > 0 ? std::min<std::size_t>(n, available) : n),
                            &got))
        return std::nullopt;
    return got;
}

void ReadOnRequest(std::shared_ptr<SessionState> session, std::shared_ptr<Exchange> exchange, HINTERNET request) {
    std::unique_lock lock(session->mutex);
    for (;;) {
        session->changed.wait(lock, [&] { return exchange->asked > 0 || exchange->abandoned || session->closed; });
        if (exchange->abandoned || session->closed) return;
        std::size_t asked = std::exchange(exchange->asked, 0);
        lock.unlock();
        std::optional<std::size_t> got = ReadArrived(request, exchange->block.data(), asked);
        const DWORD error = got ? 0 : ::GetLastError();
        lock.lock();
        exchange->got = got;
        exchange->error = error;
        exchange->answered = true;
        session->changed.notify_all();
    }
}

// The system's reads block, and under Wine closing the session ends no read in progress.
// So a response reads on a thread of its own, into a block of its own, and a read waits for
// that thread or for the close, whichever comes first; a read that the close cut short is
// left to end by itself, and its thread with it.
class WinInetResponse final : public InternetResponse {
public:
    WinInetResponse(std::shared_ptr<SessionState> session, HINTERNET handle, std::string url)
        : session_(std::move(session)), handle_(handle), url_(std::move(url)),
          length_(NumberHeader(handle, HTTP_QUERY_CONTENT_LENGTH)) {}
    // The system's cache may keep what came before a failure or an early end as a whole
    // body, so an entry stays only for a body read to its end.
    ~WinInetResponse() override {
        {
            std::lock_guard lock(session_->mutex);
            exchange_->abandoned = true;
            if (!session_->closed) ::InternetCloseHandle(handle_);
            session_->changed.notify_all();
        }
        if (!complete_) ::DeleteUrlCacheEntryA(url_.c_str());
    }
    WinInetResponse(const WinInetResponse&) = delete;
    WinInetResponse& operator=(const WinInetResponse&) = delete;

    std::optional<std::uint64_t> ContentLength() override { return length_; }

    // A body cut short may end like a whole one, so its length is checked here.
    std::optional<std::size_t> Read(unsigned char* into, std::size_t n) override {
        std::unique_lock lock(session_->mutex);
        if (failed_) return std::nullopt;
        if (session_->closed) return Fail(kClosedText);
        if (!StartReading()) return Fail("no thread to read on");
        if (n == 0) return 0;
        exchange_->asked = std::min(n, kBlock);
        exchange_->answered = false;
        session_->changed.notify_all();
        session_->changed.wait(lock, [this] { return exchange_->answered || session_->closed; });
        if (session_->closed) return Fail(kClosedText);
        if (!exchange_->got) return Fail(ErrorText(exchange_->error));
        std::size_t got = *exchange_->got;
        std::memcpy(into, exchange_->block.data(), got);
        received_ += got;
        if (got == 0 && length_ && received_ != *length_) return Fail("the body ended before its announced length");
        complete_ = got == 0;
        return got;
    }

private:
    bool StartReading() {
        if (reading_) return true;
        reading_ = StartDetached([session = session_, exchange = exchange_, handle = handle_] {
            ReadOnRequest(session, exchange, handle);
        });
        return reading_;
    }

    // Called with the session's lock held.
    std::optional<std::size_t> Fail(std::string error) {
        session_->lastError = std::move(error);
        failed_ = true;
        return std::nullopt;
    }

    std::shared_ptr<SessionState> session_;
    std::shared_ptr<Exchange> exchange_ = std::make_shared<Exchange>();
    HINTERNET handle_;
    std::string url_;
    std::optional<std::uint64_t> length_;
    std::uint64_t received_ = 0;
    bool reading_ = false;
    bool failed_ = false;
    bool complete_ = false;
};

class WinInetSession final : public InternetSession {
public:
    explicit WinInetSession(HINTERNET handle) : state_(std::make_shared<SessionState>(handle)) {}
    ~WinInetSession() override { state_->Close(); }
    WinInetSession(const WinInetSession&) = delete;
    WinInetSession& operator=(const WinInetSession&) = delete;

    std::unique_ptr<InternetResponse> OpenUrl(const std::string& url, const std::string& headers,
                                              bool secure) override {
        if (state_->Closed()) return Refused(kClosedText);
        DWORD flags = secure ? INTERNET_FLAG_SECURE : 0;
        HINTERNET request = ::InternetOpenUrlA(state_->handle, url.c_str(), headers.c_str(),
                                               static_cast<DWORD>(headers.size()), flags, 0);
        if (!request) return Refused(ErrorText(::GetLastError()));
        auto response = std::make_unique<WinInetResponse>(state_, request, url);
        const std::uint64_t status = NumberHeader(request, HTTP_QUERY_STATUS_CODE).value_or(0);
        if (status >= 400) return Refused("HTTP " + std::to_string(status));
        return response;
    }
    void Close() override { state_->Close(); }
    std::string LastError() const override { return state_->Error(); }

private:
    std::unique_ptr<InternetResponse> Refused(std::string error) {
        state_->SetError(std::move(error));
        return nullptr;
    }

    std::shared_ptr<SessionState> state_;
};

}  // namespace

std::unique_ptr<InternetSession> WinInetInternet::OpenSession(const std::string& agent) {
    HINTERNET handle = ::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!handle) return nullptr;
    return std::make_unique<WinInetSession>(handle);
}

std::optional<std::string> WinInetInternet::CachedFile(const std::string& url) {
    std::vector<char> buffer(4096);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        if (::GetUrlCacheEntryInfoA(url.c_str(), entry, &size)) {
            if (!entry->lpszLocalFileName) return std::nullopt;
            return std::string(entry->lpszLocalFileName);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return std::nullopt;
        buffer.resize(size);
    }
}

namespace {

// What a request's own thread and its caller share; the caller may leave before the end.
struct RequestCall {
    explicit RequestCall(HttpRequest asked) : request(std::move(asked)) {}
    const HttpRequest request;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;  // guarded by the mutex, and so is the result
    HttpResult result;
};

HttpResult Failed(RequestFailure failure, DWORD code) {
    HttpResult result;
    result.failure = failure;
    result.error = ErrorText(code);
    return result;
}

HttpResult BrokenAnswer(std::string error) {
    HttpResult result;
    result.failure = RequestFailure::Answer;
    result.error = std::move(error);
    return result;
}

// The system makes the connection only when the request is sent, so a host that cannot be
// reached, or whose certificate is refused, fails the send; it counts as the connection's.
RequestFailure SendStage(DWORD code) {
    switch (code) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return RequestFailure::Connection;
    default:
        return RequestFailure::Send;
    }
}

// Credentials go to the connection, which answers the server's request for them. A host
// in brackets is an IPv6 address, which the system takes without them.
HttpResult Perform(const HttpRequest& request) {
    std::string host = request.host;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const DWORD flags = INTERNET_FLAG_RELOAD | (request.secure ? INTERNET_FLAG_SECURE : 0);
    const char* user = request.user.empty() ? nullptr : request.user.c_str();
    const char* password = request.user.empty() ? nullptr : request.password.c_str();

    Handle session(::InternetOpenA(request.agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return Failed(RequestFailure::Session, ::GetLastError());
    Handle connection(::InternetConnectA(session.get(), host.c_str(), request.port, user, password,
                                         INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return Failed(RequestFailure::Connection, ::GetLastError());
    Handle call(::HttpOpenRequestA(connection.get(), request.method.c_str(), request.object.c_str(), "HTTP/1.0",
                                   nullptr, nullptr, flags, 0));
    if (!call) return Failed(RequestFailure::Open, ::GetLastError());
    auto* body = const_cast<char*>(request.body.data());
    if (!::HttpSendRequestA(call.get(), request.headers.c_str(), static_cast<DWORD>(request.headers.size()), body,
                            static_cast<DWORD>(request.body.size()))) {
        const DWORD code = ::GetLastError();
        return Failed(SendStage(code), code);
    }
    HttpResult result;
    result.status = static_cast<int>(NumberHeader(call.get(), HTTP_QUERY_STATUS_CODE).value_or(0));
    const std::optional<std::uint64_t> length = NumberHeader(call.get(), HTTP_QUERY_CONTENT_LENGTH);
    std::vector<char> block(kBlock);
    for (DWORD got = 0;;) {
        if (!::InternetReadFile(call.get(), block.data(), static_cast<DWORD>(block.size()), &got))
            return Failed(RequestFailure::Answer, ::GetLastError());
        // A body cut short may end like a whole one.
        if (got == 0 && length && result.body.size() != *length)
            return BrokenAnswer("the body ended before its announced length");
        if (got == 0) return result;
        if (got > request.bodyLimit - result.body.size())
            return BrokenAnswer("the answer is longer than " + std::to_string(request.bodyLimit) + " bytes");
        result.body.append(block.data(), got);
    }
}

}  // namespace

// The system's calls block, and closing a handle from another thread may end none of them
// (under Wine it does not), nor could the closing thread know the handle is still the
// request's. So the request runs on a thread of its own, which touches only what it shares
// with its caller; a stopped caller returns at once and leaves that thread to end by itself.
HttpResult WinInetInternet::Request(const HttpRequest& request, RequestStop& stop) {
    auto call = std::make_shared<RequestCall>(request);
    const auto wake = [call] {
        std::lock_guard lock(call->mutex);
        call->ended.notify_all();
    };
    if (!stop.Enter(wake)) return {RequestFailure::Stopped, 0, {}, "stopped"};
    const bool started = StartDetached([call] {
        HttpResult result = Perform(call->request);
        std::lock_guard lock(call->mutex);
        call->result = std::move(result);
        call->done = true;
        call->ended.notify_all();
    });
    if (!started) {
        stop.Leave();
        return {RequestFailure::Session, 0, {}, "no thread to send the request on"};
    }
    HttpResult result{RequestFailure::Stopped, 0, {}, "stopped"};
    {
        std::unique_lock lock(call->mutex);
        call->ended.wait(lock, [&] { return call->done || stop.Stopped(); });
        if (call->done) result = std::move(call->result);
    }
    stop.Leave();
    return result;
}

}  // namespace vexa
