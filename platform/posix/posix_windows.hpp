#pragma once
// Windows as queues: each thread that owns windows has one queue of posted messages and
// its windows' timers, and waits on it while it runs its messages.

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.hpp"
#include "platform/message_windows.hpp"

namespace vexa {

class PosixWindows final : public Windows {
public:
    explicit PosixWindows(Clock& clock) : clock_(clock) {}

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
    bool Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
              std::uint32_t timeoutMs) override;

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
    struct ThreadQueue {
        std::deque<Message> messages;
        std::vector<Timer> timers;
        std::condition_variable wake;
    };
    struct Window {
        WindowHandler* handler;
        std::shared_ptr<ThreadQueue> queue;
    };
    // What the running thread does next, chosen under the lock and done outside it.
    struct Delivery {
        WindowHandler* handler = nullptr;
        bool timer = false;
        Message message{};
    };

    std::shared_ptr<ThreadQueue> QueueOfThisThread();
    Delivery Next(ThreadQueue& queue);
    std::uint32_t WaitLimit(const ThreadQueue& queue, std::uint32_t remaining);

    Clock& clock_;
    std::mutex mutex_;
    std::map<WindowHandle, Window> windows_;
    std::map<std::thread::id, std::shared_ptr<ThreadQueue>> threads_;
    WindowHandle lastHandle_ = 0;
};

}  // namespace vexa
