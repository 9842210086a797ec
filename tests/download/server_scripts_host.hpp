#pragma once
// The server scripts as a control hosts them: its window passes every message on, and the
// events are recorded in the order they are raised.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "download/server_scripts.hpp"

namespace vexa::download::test {

struct CgiEvent {
    std::int32_t id;
    bool done;
    std::string response;   // of a done event
    std::int32_t error = 0;  // of an error event
    bool operator==(const CgiEvent&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const CgiEvent& event) {
    return out << (event.done ? "done " : "error ") << event.id << " " << event.error << " \"" << event.response
               << "\"";
}

class ScriptsHost final : public WindowHandler, public ServerScriptEvents {
public:
    ScriptsHost(Internet& internet, Windows& windows)
        : windows_(windows),
          window_(windows.Create(*this)),
          scripts_(std::make_unique<ServerScripts>(internet, windows, window_, *this)) {}
    ~ScriptsHost() override {
        scripts_.reset();
        DestroyWindow();
    }
    ScriptsHost(const ScriptsHost&) = delete;
    ScriptsHost& operator=(const ScriptsHost&) = delete;

    ServerScripts& scripts() { return *scripts_; }
    // As a control that goes away: the requests, then the window.
    void DestroyScripts() { scripts_.reset(); }
    void DestroyWindow() {
        if (window_ != 0) windows_.Destroy(window_);
        window_ = 0;
    }

    // Runs the window until no request waits for its event; false after `limitMs`.
    bool RunUntilAnswered(std::uint32_t limitMs = 30'000) {
        return windows_.RunUntil([this] { return scripts_->Pending() == 0; }, limitMs);
    }

    std::vector<CgiEvent> events;

private:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (scripts_) scripts_->OnMessage(message, wParam);
    }
    void OnTimer(std::uint32_t) override {}
    void SendStringToCgiDone(std::int32_t cgiId, const std::string& response) override {
        events.push_back({cgiId, true, response});
    }
    void SendStringToCgiError(std::int32_t cgiId, std::int32_t errorCode) override {
        events.push_back({cgiId, false, {}, errorCode});
    }

    Windows& windows_;
    WindowHandle window_;
    std::unique_ptr<ServerScripts> scripts_;
};

}  // namespace vexa::download::test
