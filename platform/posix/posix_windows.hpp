#pragma once
// Windows as queues: each thread that owns windows has one queue of posted messages and
// its windows' timers, and waits on it while it runs its messages. Handles come from the
// prefix's window station, so they are distinct machine-wide; while a process owns
// windows it listens on a socket of its own in the station's folder, and messages from
// other processes arrive there and join the owning thread's queue.

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.hpp"
#include "platform/message_windows.hpp"
#include "platform/posix/message_socket.hpp"
#include "platform/posix/window_station.hpp"

namespace vexa {

class PosixWindows final : public Windows {
public:
    // `station` is the folder that the processes of the machine share for their windows.
    PosixWindows(Clock& clock, const std::filesystem::path& station);
    ~PosixWindows() override;
    PosixWindows(const PosixWindows&) = delete;
    PosixWindows& operator=(const PosixWindows&) = delete;

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
        std::shared_ptr<Acknowledgement> sent;  // answered once the handler has run
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
        std::thread::id owner;
    };
    // What the running thread does next, chosen under the lock and done outside it.
    struct Delivery {
        WindowHandler* handler = nullptr;
        bool timer = false;
        Message message{};
    };

    std::shared_ptr<ThreadQueue> QueueOfThisThread();
    void Enqueue(Window& window, Message message);
    Delivery Next(ThreadQueue& queue);
    std::uint32_t WaitLimit(const ThreadQueue& queue, std::uint32_t remaining);
    // With listenerMutex_ held.
    bool StartListening();
    void StopListening();
    // On the listener's thread.
    void Arrive(const MessageFrame& frame, std::shared_ptr<Acknowledgement> acknowledgement);
    // Through the socket of whichever process owns the window.
    bool DeliverElsewhere(const MessageFrame& frame, std::uint32_t timeoutMs);

    Clock& clock_;
    std::filesystem::path folder_;
    WindowStation station_;
    std::mutex listenerMutex_;  // starting and stopping the listener; taken before mutex_
    std::uint64_t endpoint_ = 0;
    std::unique_ptr<MessageListener> listener_;
    std::mutex mutex_;
    std::map<WindowHandle, Window> windows_;
    std::map<std::thread::id, std::shared_ptr<ThreadQueue>> threads_;
};

}  // namespace vexa
