#include "download/server_scripts.hpp"

#include <charconv>
#include <optional>
#include <system_error>
#include <thread>

#include "common/file_name.hpp"
#include "common/text.hpp"
#include "common/url.hpp"

namespace vexa::download {

// A request's texts, copied when it starts, and its outcome. The worker writes the outcome
// before it posts, and the control's thread reads it after the message: the post orders them.
struct ServerScripts::Request {
    std::string url;
    std::string text;
    std::string method;
    std::string user;
    std::string password;
    RequestStop stop;
    std::int32_t status = 0;
    std::string response;
    std::string cause;
    std::thread worker;
};

namespace {

constexpr const char* kFormHeader = "Content-Type: application/x-www-form-urlencoded\r\n";
// The system hands the answer over in blocks of this size.
constexpr std::size_t kAnswerBlock = 1000;

struct Outcome {
    std::int32_t status = 0;
    std::string response;
    std::string cause;
};

Outcome Failure(std::int32_t status, std::string cause) { return {status, {}, std::move(cause)}; }

// Each block is taken as a text, which ends at the block's first zero byte.
std::string AnswerText(std::string_view body) {
    std::string text;
    for (std::size_t at = 0; at < body.size(); at += kAnswerBlock) {
        std::string_view block = body.substr(at, kAnswerBlock);
        text.append(block.substr(0, block.find('\0')));
    }
    return text;
}

std::optional<std::uint16_t> PortOf(const UrlParts& parts, bool secure) {
    if (parts.port.empty()) return secure ? 443 : 80;
    std::uint16_t port = 0;
    auto [end, error] = std::from_chars(parts.port.data(), parts.port.data() + parts.port.size(), port);
    if (error != std::errc() || end != parts.port.data() + parts.port.size() || port == 0) return std::nullopt;
    return port;
}

std::int32_t StatusOf(RequestFailure failure) {
    switch (failure) {
    case RequestFailure::Session:
        return kCgiNoSession;
    case RequestFailure::Connection:
        return kCgiNoConnection;
    case RequestFailure::Open:
        return kCgiNotOpened;
    default:  // the answer, too, is part of what was sent
        return kCgiNotSent;
    }
}

// The URL's own query stays on the request line; the fragment is never sent.
Outcome Perform(Internet& internet, RequestStop& stop, const std::string& url, const std::string& text,
                const std::string& getOrPost, const std::string& user, const std::string& password) {
    const bool post = ToUpperAnsi(getOrPost) == "POST";
    auto parts = SplitUrl(url);
    if (!parts || !UrlPartsFit(*parts)) return Failure(kCgiUrlNotSplit, "the URL cannot be split into its parts");
    const std::string scheme = ToUpperAnsi(parts->scheme);
    if (scheme != "HTTP" && scheme != "HTTPS")
        return Failure(kCgiSchemeRefused, "the scheme \"" + parts->scheme + "\" is neither http nor https");
    const bool secure = scheme == "HTTPS";
    auto port = PortOf(*parts, secure);
    if (parts->host.empty() || !port) return Failure(kCgiUrlNotSplit, "the URL names no host and port");

    HttpRequest request;
    request.method = post ? "POST" : "GET";
    request.secure = secure;
    request.host = parts->host;
    request.port = *port;
    std::string query = parts->extra.substr(0, parts->extra.find('#'));
    request.object = (parts->path.empty() ? "/" : parts->path) + query;
    if (!post && !text.empty()) request.object += (query.empty() ? "?" : "&") + text;
    if (post) {
        request.headers = kFormHeader;
        request.body = text;
    }
    request.user = user;
    request.password = password;
    request.agent = std::string(FileNamePart(parts->path));
    HttpResult result = internet.Request(request, stop);
    if (result.failure != RequestFailure::None) return Failure(StatusOf(result.failure), result.error);
    return {0, AnswerText(result.body), {}};
}

}  // namespace

std::string CgiStatusText(std::int32_t status) {
    switch (status) {
    case kCgiUrlNotSplit:
        return "the URL cannot be split into its parts";
    case kCgiSchemeRefused:
        return "the scheme is neither HTTP nor HTTPS";
    case kCgiNoSession:
        return "no Internet session";
    case kCgiNoConnection:
        return "no connection to the host";
    case kCgiNotOpened:
        return "the request cannot be opened";
    case kCgiNotSent:
        return "the request cannot be sent";
    default:
        return "status " + std::to_string(status);
    }
}

std::string EncodeCgiField(std::string_view value) {
    std::string encoded = ReplaceAll(value, "%", "%25");
    encoded = ReplaceAll(encoded, "\r\n", "%0D%0A");
    encoded = ReplaceAll(encoded, "&", "%26");
    encoded = ReplaceAll(encoded, "=", "%3D");
    return ReplaceAll(encoded, " ", "%20");
}

ServerScripts::ServerScripts(Internet& internet, Windows& windows, WindowHandle window, ServerScriptEvents& events)
    : internet_(internet), windows_(windows), window_(window), events_(events) {}

ServerScripts::~ServerScripts() {
    for (auto& [number, request] : pending_) request->stop.Stop();
    for (auto& [number, request] : pending_) request->worker.join();
}

bool ServerScripts::SetCgiField(const std::string& fieldName, const std::string& fieldValue) {
    fields_.emplace_back(fieldName, EncodeCgiField(fieldValue));
    return true;
}

std::int32_t ServerScripts::SendFieldsToCgi(const std::string& cgiUrl, const std::string& getOrPost) {
    if (fields_.empty()) return 0;
    std::string text;
    for (const auto& [name, value] : fields_) text += (text.empty() ? "" : "&") + name + "=" + value;
    fields_.clear();
    return SendStringToCgi(cgiUrl, text, getOrPost);
}

std::int32_t ServerScripts::SendStringToCgi(const std::string& cgiUrl, const std::string& stringToSend,
                                            const std::string& getOrPost) {
    auto request = std::make_unique<Request>();
    request->url = cgiUrl;
    request->text = stringToSend;
    request->method = getOrPost;
    request->user = user_;
    request->password = password_;
    const std::int32_t number = next_;
    try {
        request->worker = std::thread([this, raw = request.get(), number] { Serve(*raw, number); });
    } catch (const std::system_error&) {
        return 0;
    }
    pending_.emplace(number, std::move(request));
    ++next_;
    return number;
}

void ServerScripts::SetUserNameAndPassword(const std::string& userName, const std::string& userPassword) {
    user_ = userName;
    password_ = userPassword;
}

// On the worker. A stopped request reports nothing: its control is going away.
void ServerScripts::Serve(Request& request, std::int32_t number) {
    Outcome outcome =
        Perform(internet_, request.stop, request.url, request.text, request.method, request.user, request.password);
    if (request.stop.Stopped()) return;
    request.status = outcome.status;
    request.response = std::move(outcome.response);
    request.cause = std::move(outcome.cause);
    windows_.Post(window_, outcome.status < 0 ? kCgiErrorMessage : kCgiDoneMessage, static_cast<std::uintptr_t>(number),
                  0);
}

bool ServerScripts::OnMessage(std::uint32_t message, std::uintptr_t wParam) {
    if (message != kCgiErrorMessage && message != kCgiDoneMessage) return false;
    auto found = pending_.find(static_cast<std::int32_t>(wParam));
    if (found == pending_.end()) return true;
    const std::int32_t number = found->first;
    std::unique_ptr<Request> request = std::move(found->second);
    pending_.erase(found);
    request->worker.join();  // it has posted: its last step
    if (message == kCgiErrorMessage) {
        lastErrorCause_ = request->cause;
        events_.SendStringToCgiError(number, request->status);
    } else {
        events_.SendStringToCgiDone(number, request->response);
    }
    return true;
}

}  // namespace vexa::download
