#include "platform/posix/posix_windows.hpp"

#include <algorithm>
#include <chrono>
#include <string>

namespace vexa {
namespace {

// A listener queues a post or answers whether a window exists at once; waiting longer
// means the other process is stuck.
constexpr std::uint32_t kAnswerTimeoutMs = 2000;

}  // namespace

PosixWindows::PosixWindows(Clock& clock, const std::filesystem::path& station)
    : clock_(clock), folder_(station), station_(station / "station.sqlite3") {}

PosixWindows::~PosixWindows() {
    std::lock_guard listening(listenerMutex_);
    StopListening();
}

std::shared_ptr<PosixWindows::ThreadQueue> PosixWindows::QueueOfThisThread() {
    auto& queue = threads_[std::this_thread::get_id()];
    if (!queue) queue = std::make_shared<ThreadQueue>();
    return queue;
}

// The first window of the process starts its listener. A listener that cannot be made
// (a socket path too long for the system) leaves the windows reachable from this process only.
bool PosixWindows::StartListening() {
    if (endpoint_ != 0) return true;
    endpoint_ = station_.NewEndpoint();
    if (endpoint_ == 0) return false;
    listener_ = std::make_unique<MessageListener>(
        folder_ / std::to_string(endpoint_),
        [this](const MessageFrame& frame, std::shared_ptr<Acknowledgement> acknowledgement) {
            Arrive(frame, std::move(acknowledgement));
        });
    return true;
}

void PosixWindows::StopListening() {
    if (endpoint_ == 0) return;
    listener_.reset();
    station_.ForgetEndpoint(endpoint_);
    endpoint_ = 0;
}

WindowHandle PosixWindows::Create(WindowHandler& handler) {
    std::lock_guard listening(listenerMutex_);
    if (!StartListening()) return 0;
    WindowHandle window = station_.NewWindow(endpoint_);
    if (window == 0) return 0;
    std::lock_guard lock(mutex_);
    windows_[window] = {&handler, QueueOfThisThread(), std::this_thread::get_id()};
    return window;
}

// The last window of the process stops its listener, which removes its socket.
void PosixWindows::Destroy(WindowHandle window) {
    std::lock_guard listening(listenerMutex_);
    bool last;
    {
        std::lock_guard lock(mutex_);
        auto found = windows_.find(window);
        if (found == windows_.end()) return;
        ThreadQueue& queue = *found->second.queue;
        std::erase_if(queue.messages, [window](const Message& m) { return m.window == window; });
        std::erase_if(queue.timers, [window](const Timer& t) { return t.window == window; });
        windows_.erase(found);
        last = windows_.empty();
    }
    station_.ForgetWindow(window);
    if (last) StopListening();
}

bool PosixWindows::IsWindow(WindowHandle window) {
    {
        std::lock_guard lock(mutex_);
        if (windows_.count(window) != 0) return true;
    }
    return DeliverElsewhere({window, 0, 0, 0, MessageFrame::Kind::Probe}, kAnswerTimeoutMs);
}

void PosixWindows::Enqueue(Window& window, Message message) {
    window.queue->messages.push_back(std::move(message));
    window.queue->wake.notify_one();
}

bool PosixWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (auto found = windows_.find(window); found != windows_.end()) {
            Enqueue(found->second, {window, message, wParam, lParam, nullptr});
            return true;
        }
    }
    return DeliverElsewhere({window, wParam, static_cast<std::int64_t>(lParam), message, MessageFrame::Kind::Post},
                            kAnswerTimeoutMs);
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
        Message message = std::move(queue.messages.front());
        queue.messages.pop_front();
        if (auto found = windows_.find(message.window); found != windows_.end())
            return {found->second.handler, false, std::move(message)};
    }
    std::uint32_t now = clock_.TickCount();
    for (Timer& timer : queue.timers) {
        if (!TickReached(now, timer.due)) continue;
        timer.due = now + timer.interval;
        return {windows_.at(timer.window).handler, true, {timer.window, timer.id, 0, 0, nullptr}};
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
                if (next.message.sent) next.message.sent->Confirm();
            }
            lock.lock();
            continue;
        }
        std::uint32_t elapsed = clock_.TickCount() - start;
        if (elapsed >= limitMs) return false;
        queue->wake.wait_for(lock, std::chrono::milliseconds(WaitLimit(*queue, limitMs - elapsed)));
    }
}

// A message from another process: a post or a send joins the window's queue, a send to be
// answered once its handler has run. Anything for a window not here closes unanswered.
void PosixWindows::Arrive(const MessageFrame& frame, std::shared_ptr<Acknowledgement> acknowledgement) {
    std::lock_guard lock(mutex_);
    auto found = windows_.find(static_cast<WindowHandle>(frame.window));
    if (found == windows_.end()) return;
    Message message{found->first, frame.message, static_cast<std::uintptr_t>(frame.wParam),
                    static_cast<std::intptr_t>(frame.lParam), nullptr};
    switch (frame.kind) {
        case MessageFrame::Kind::Send:
            message.sent = std::move(acknowledgement);
            Enqueue(found->second, std::move(message));
            return;
        case MessageFrame::Kind::Post:
            Enqueue(found->second, std::move(message));
            acknowledgement->Confirm();
            return;
        case MessageFrame::Kind::Probe:
            acknowledgement->Confirm();
            return;
    }
}

bool PosixWindows::DeliverElsewhere(const MessageFrame& frame, std::uint32_t timeoutMs) {
    auto endpoint = station_.EndpointOf(static_cast<WindowHandle>(frame.window));
    return endpoint && DeliverFrame(folder_ / std::to_string(*endpoint), frame, timeoutMs);
}

std::uint32_t PosixWindows::RegisterMessage(const std::string& name) { return station_.RegisterMessage(name); }

std::uint16_t PosixWindows::AddAtom(const std::string& text) { return station_.AddAtom(text); }

std::optional<std::string> PosixWindows::AtomName(std::uint16_t atom, std::size_t maxLength) {
    auto name = station_.AtomName(atom);
    if (name) name->resize(std::min(name->size(), maxLength));
    return name;
}

void PosixWindows::DeleteAtom(std::uint16_t atom) { station_.DeleteAtom(atom); }

// The owning thread runs the handler at once, as the system does: waiting for its own
// queue would never end.
bool PosixWindows::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                        std::uint32_t timeoutMs) {
    WindowHandler* handler = nullptr;
    {
        std::lock_guard lock(mutex_);
        auto found = windows_.find(window);
        if (found != windows_.end() && found->second.owner == std::this_thread::get_id())
            handler = found->second.handler;
    }
    if (handler) {
        handler->OnMessage(message, wParam, lParam);
        return true;
    }
    return DeliverElsewhere({window, wParam, static_cast<std::int64_t>(lParam), message, MessageFrame::Kind::Send},
                            timeoutMs);
}

}  // namespace vexa
