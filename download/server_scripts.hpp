#pragma once
// Posting to server scripts: form fields collected and encoded, or a text, sent to a URL by
// GET or POST on a worker thread of its own, and the answer or the failure raised as an
// event on the control's thread. Each request has a number, from 1 up and never given
// twice; the worker reports by posting one of two messages with it to the control's window.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/internet.hpp"
#include "platform/message_windows.hpp"

namespace vexa::download {

inline constexpr std::uint32_t kCgiErrorMessage = kUserMessage + 8;  // wParam the request number
inline constexpr std::uint32_t kCgiDoneMessage = kUserMessage + 9;   // wParam the request number

// The status a failed request reports.
enum CgiStatus : std::int32_t {
    kCgiUrlNotSplit = -1,
    kCgiSchemeRefused = -2,
    kCgiNoSession = -3,
    kCgiNoConnection = -4,
    kCgiNotOpened = -5,
    kCgiNotSent = -6,
};

// What a status means, for a person: "no connection to the host".
std::string CgiStatusText(std::int32_t status);

// A field value as a form sends it: "%", CR LF, "&", "=" and blanks escaped, in that order,
// so no "%" of an escape is escaped again; everything else as it is.
std::string EncodeCgiField(std::string_view value);

class ServerScriptEvents {  // raised on the control's thread
public:
    virtual ~ServerScriptEvents() = default;
    virtual void SendStringToCgiDone(std::int32_t cgiId, const std::string& response) = 0;
    virtual void SendStringToCgiError(std::int32_t cgiId, std::int32_t errorCode) = 0;
};

class ServerScripts {
public:
    // `window` is the control's message window, owned by the calling thread; workers post to it.
    ServerScripts(Internet& internet, Windows& windows, WindowHandle window, ServerScriptEvents& events);
    // Stops every request still running and waits for its worker, which then ends at once.
    ~ServerScripts();
    ServerScripts(const ServerScripts&) = delete;
    ServerScripts& operator=(const ServerScripts&) = delete;

    bool SetCgiField(const std::string& fieldName, const std::string& fieldValue);
    // 0, sending nothing, when no field is collected; the fields are forgotten either way.
    std::int32_t SendFieldsToCgi(const std::string& cgiUrl, const std::string& getOrPost);
    // The request's number, or 0 when no worker could be started.
    std::int32_t SendStringToCgi(const std::string& cgiUrl, const std::string& stringToSend,
                                 const std::string& getOrPost);
    // Used by every request started afterwards.
    void SetUserNameAndPassword(const std::string& userName, const std::string& userPassword);

    // The control's window handler passes every message here first; true when it was one
    // of the two above. The event is raised last, so its handler may even destroy the control.
    bool OnMessage(std::uint32_t message, std::uintptr_t wParam);
    // Requests whose event has not been raised yet, so a host can wait for them.
    std::size_t Pending() const { return pending_.size(); }
    // Why the request of the last error event failed, in the system's or the library's words.
    const std::string& LastErrorCause() const { return lastErrorCause_; }

private:
    struct Request;
    void Serve(Request& request, std::int32_t number);

    Internet& internet_;
    Windows& windows_;
    WindowHandle window_;
    ServerScriptEvents& events_;
    std::vector<std::pair<std::string, std::string>> fields_;  // names and encoded values
    std::string user_;
    std::string password_;
    std::int32_t next_ = 1;
    std::map<std::int32_t, std::unique_ptr<Request>> pending_;
    std::string lastErrorCause_;
};

}  // namespace vexa::download
