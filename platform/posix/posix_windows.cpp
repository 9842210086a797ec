#include "platform/posix/posix_windows.hpp"

#include <algorithm>
#include <chrono>

namespace vexa {

std::shared_ptr<PosixWindows::ThreadQueue> PosixWindows::QueueOfThisThread() {
    auto& queue = threads_[std::this_thread::get_id()];
    if (!queue) queue = std::make_shared<ThreadQueue>();
    return queue;
}

WindowHandle PosixWindows::Create(WindowHandler& handler) {
    std::lock_guard lock(mutex_);
    windows_[++lastHandle_] = {&handler, QueueOfThisThread()};
    return lastHandle_;
}

void PosixWindows::Destroy(WindowHandle window) {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return;
    ThreadQueue& queue = *found->second.queue;
    std::erase_if(queue.messages, [window](const Message& m) { return m.window == window; });
    std::erase_if(queue.timers, [window](const Timer& t) { return t.window == window; });
    windows_.erase(found);
}

bool PosixWindows::IsWindow(WindowHandle window) {
    std::lock_guard lock(mutex_);
    return windows_.count(window) != 0;
}

bool PosixWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    found->second.queue->messages.push_back({window, message, wParam, lParam});
    found->second.queue->wake.notify_one();
    return true;
}

bool PosixWindows::SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    auto& timers = found->second.queue->timers;
    std::erase_if(timers, [&](const Timer& t) { return t.window == window && t.id == timerId; });
    timers.push_back({window, timerId, milliseconds, clock_.TickCount() + milliseconds});
    return true;
}

void PosixWindows::KillTimer(WindowHandle window, std::uint32_t timerId) {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return;
    std::erase_if(found->second.queue->timers, [&](const Timer& t) { return t.window == window && t.id == timerId; });
}

// Posted messages first, in order; then the first timer that is due, which is set to
// come again one interval from now.
PosixWindows::Delivery PosixWindows::Next(ThreadQueue& queue) {
    while (!queue.messages.empty()) {
        Message message = queue.messages.front();
        queue.messages.pop_front();
        if (auto found = windows_.find(message.window); found != windows_.end())
            return {found->second.handler, false, message};
    }
    std::uint32_t now = clock_.TickCount();
    for (Timer& timer : queue.timers) {
        if (!TickReached(now, timer.due)) continue;
        timer.due = now + timer.interval;
        return {windows_.at(timer.window).handler, true, {timer.window, timer.id, 0, 0}};
    }
    return {};
}

std::uint32_t PosixWindows::WaitLimit(const ThreadQueue& queue, std::uint32_t remaining) {
    std::uint32_t now = clock_.TickCount();
    for (const Timer& timer : queue.timers) remaining = std::min(remaining, timer.due - now);
    return remaining;
}

bool PosixWindows::RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) {
    const std::uint32_t start = clock_.TickCount();
    std::unique_lock lock(mutex_);
    std::shared_ptr<ThreadQueue> queue = QueueOfThisThread();
    for (;;) {
        lock.unlock();
        if (done()) return true;
        lock.lock();
        Delivery next = Next(*queue);
        if (next.handler) {
            lock.unlock();
            if (next.timer) {
                next.handler->OnTimer(next.message.message);
            } else {
                next.handler->OnMessage(next.message.message, next.message.wParam, next.message.lParam);
            }
            lock.lock();
            continue;
        }
        std::uint32_t elapsed = clock_.TickCount() - start;
        if (elapsed >= limitMs) return false;
        queue->wake.wait_for(lock, std::chrono::milliseconds(WaitLimit(*queue, limitMs - elapsed)));
    }
}

// STUB: replaced by the cross-process work.
std::uint32_t PosixWindows::RegisterMessage(const std::string&) { return 0; }
std::uint16_t PosixWindows::AddAtom(const std::string&) { return 0; }
std::optional<std::string> PosixWindows::AtomName(std::uint16_t, std::size_t) { return std::nullopt; }
void PosixWindows::DeleteAtom(std::uint16_t) {}
bool PosixWindows::Send(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t, std::uint32_t) { return false; }

}  // namespace vexa
