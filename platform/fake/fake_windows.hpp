#pragma once
// Windows for tests, driven by a FakeClock: posted messages run in the order they were
// posted and timers fire as the manual clock reaches them. When nothing is waiting and a
// timer is due before the limit, running jumps the clock to it, so a timer of minutes
// fires at once. Other threads (a control's workers) may post: with nothing to run and no
// timer before the limit, running waits for their posts for up to `patience` of real
// time, then jumps the clock to the limit. Every window is run by whichever thread runs
// messages.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.hpp"
#include "platform/message_windows.hpp"

namespace vexa {

class FakeWindows final : public Windows {
public:
    explicit FakeWindows(FakeClock& clock, std::chrono::milliseconds patience = {})
        : clock_(clock), patience_(patience) {}

    WindowHandle Create(WindowHandler& handler) override;
    void Destroy(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) override;
    void KillTimer(WindowHandle window, std::uint32_t timerId) override;
    bool RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) override;
    std::uint32_t RegisterMessage(const std::string& name) override;
    std::uint16_t AddAtom(const std::string& text) override;
    std::optional<std::string> AtomName(std::uint16_t atom, std::size_t maxLength) override;
    void DeleteAtom(std::uint16_t atom) override;
    // Runs the handler at once, on the calling thread.
    bool Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
              std::uint32_t timeoutMs) override;
    // Names refused by RegisterMessage.
    void RefuseMessageName(std::string name) { refusedNames_.push_back(std::move(name)); }

private:
    struct Message {
        WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    struct Timer {
        WindowHandle window;
        std::uint32_t id;
        std::uint32_t interval;
        std::uint32_t due;
    };

    // Runs one waiting message or due timer; false if there was none.
    bool RunOne(std::unique_lock<std::mutex>& lock);
    Timer* EarliestTimer();

    FakeClock& clock_;
    std::chrono::milliseconds patience_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::map<WindowHandle, WindowHandler*> windows_;
    std::deque<Message> messages_;
    std::vector<Timer> timers_;
    WindowHandle lastHandle_ = 0;
    std::map<std::string, std::uint32_t> messageNumbers_;  // by upper-cased name
    std::vector<std::string> refusedNames_;
    struct Atom {
        std::string name;
        int references;
    };
    std::map<std::uint16_t, Atom> atoms_;
};

}  // namespace vexa
