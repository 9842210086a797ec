// Sends an arbitrary text to an arbitrary URL by an arbitrary method, and answers with
// arbitrary bytes: the request made must be well formed, and the answer handed on must be
// text taken from it.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "download/server_scripts.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_windows.hpp"

namespace {

using namespace vexa;

class AnsweringInternet final : public Internet {
public:
    explicit AnsweringInternet(std::string answer) : answer_(std::move(answer)) {}
    std::unique_ptr<InternetSession> OpenSession(const std::string&) override { return nullptr; }
    std::optional<std::string> CachedFile(const std::string&) override { return std::nullopt; }
    HttpResult Request(const HttpRequest& request, RequestStop&) override {
        const bool wellFormed = (request.method == "GET" || request.method == "POST") && request.port != 0 &&
                                !request.host.empty() && !request.object.empty() &&
                                (request.method == "POST" || request.body.empty());
        if (!wellFormed) __builtin_trap();
        return {RequestFailure::None, 200, answer_, {}};
    }

private:
    std::string answer_;
};

class Events final : public WindowHandler, public download::ServerScriptEvents {
public:
    download::ServerScripts* scripts = nullptr;
    bool raised = false;
    std::string response;

    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        scripts->OnMessage(message, wParam);
    }
    void OnTimer(std::uint32_t) override {}
    void SendStringToCgiDone(std::int32_t, const std::string& text) override {
        raised = true;
        response = text;
    }
    void SendStringToCgiError(std::int32_t, std::int32_t errorCode) override {
        if (errorCode != download::kCgiUrlNotSplit && errorCode != download::kCgiSchemeRefused) __builtin_trap();
        raised = true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string url = input.ConsumeRandomLengthString(400);
    const std::string method = input.ConsumeRandomLengthString(8);
    const std::string text = input.ConsumeRandomLengthString(400);
    const std::string answer = input.ConsumeRemainingBytesAsString();

    FakeClock clock;
    FakeWindows windows(clock, std::chrono::seconds(5));
    AnsweringInternet internet(answer);
    Events events;
    WindowHandle window = windows.Create(events);
    {
        download::ServerScripts scripts(internet, windows, window, events);
        events.scripts = &scripts;
        scripts.SendStringToCgi(url, text, method);
        windows.RunUntil([&] { return scripts.Pending() == 0; }, 60'000);
    }
    if (!events.raised || events.response.size() > answer.size() ||
        events.response.find('\0') != std::string::npos)
        __builtin_trap();
    windows.Destroy(window);
    return 0;
}
