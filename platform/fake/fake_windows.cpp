#include "platform/fake/fake_windows.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace vexa {

WindowHandle FakeWindows::Create(WindowHandler& handler) {
    std::lock_guard lock(mutex_);
    windows_[++lastHandle_] = &handler;
    return lastHandle_;
}

void FakeWindows::Destroy(WindowHandle window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window);
    std::erase_if(messages_, [window](const Message& m) { return m.window == window; });
    std::erase_if(timers_, [window](const Timer& t) { return t.window == window; });
}

bool FakeWindows::IsWindow(WindowHandle window) {
    std::lock_guard lock(mutex_);
    return windows_.count(window) != 0;
}

bool FakeWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(mutex_);
    if (windows_.count(window) == 0) return false;
    messages_.push_back({window, message, wParam, lParam});
    posted_.notify_all();
    return true;
}

bool FakeWindows::SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) {
    std::lock_guard lock(mutex_);
    if (windows_.count(window) == 0) return false;
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
    timers_.push_back({window, timerId, milliseconds, clock_.TickCount() + milliseconds});
    return true;
}

void FakeWindows::KillTimer(WindowHandle window, std::uint32_t timerId) {
    std::lock_guard lock(mutex_);
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
}

FakeWindows::Timer* FakeWindows::EarliestTimer() {
    std::uint32_t now = clock_.TickCount();
    auto earliest = std::min_element(timers_.begin(), timers_.end(),
                                     [now](const Timer& a, const Timer& b) { return a.due - now < b.due - now; });
    return earliest == timers_.end() ? nullptr : &*earliest;
}

bool FakeWindows::RunOne(std::unique_lock<std::mutex>& lock) {
    if (!messages_.empty()) {
        Message m = messages_.front();
        messages_.pop_front();
        WindowHandler* handler = windows_.at(m.window);
        lock.unlock();
        handler->OnMessage(m.message, m.wParam, m.lParam);
        lock.lock();
        return true;
    }
    Timer* timer = EarliestTimer();
    if (!timer || !TickReached(clock_.TickCount(), timer->due)) return false;
    WindowHandler* handler = windows_.at(timer->window);
    std::uint32_t id = timer->id;
    timer->due = clock_.TickCount() + timer->interval;
    lock.unlock();
    handler->OnTimer(id);
    lock.lock();
    return true;
}

bool FakeWindows::RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) {
    const std::uint32_t deadline = clock_.TickCount() + limitMs;
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        if (done()) return true;
        lock.lock();
        if (RunOne(lock)) continue;
        std::uint32_t now = clock_.TickCount();
        if (TickReached(now, deadline)) return false;
        if (const Timer* timer = EarliestTimer(); timer && timer->due - now <= deadline - now) {
            clock_.Advance(timer->due - now);
            continue;
        }
        bool posted = posted_.wait_for(lock, patience_, [this] { return !messages_.empty(); });
        // Sleeping threads may have moved the clock on meanwhile.
        if (now = clock_.TickCount(); !posted && !TickReached(now, deadline)) clock_.Advance(deadline - now);
    }
}

std::uint32_t FakeWindows::RegisterMessage(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (std::find(refusedNames_.begin(), refusedNames_.end(), name) != refusedNames_.end()) return 0;
    auto [entry, added] = messageNumbers_.try_emplace(ToUpperAnsi(name), 0);
    if (added) entry->second = 0xC000 + static_cast<std::uint32_t>(messageNumbers_.size()) - 1;
    return entry->second;
}

// A known name gains a reference; a new one takes the lowest free number.
std::uint16_t FakeWindows::AddAtom(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (text.empty() || text.size() > 255) return 0;
    std::uint16_t number = 0xC000;
    for (auto& [atom, entry] : atoms_) {
        if (ToUpperAnsi(entry.name) == ToUpperAnsi(text)) {
            ++entry.references;
            return atom;
        }
        if (atom == number) ++number;
    }
    atoms_[number] = {text, 1};
    return number;
}

std::optional<std::string> FakeWindows::AtomName(std::uint16_t atom, std::size_t maxLength) {
    std::lock_guard lock(mutex_);
    auto found = atoms_.find(atom);
    if (found == atoms_.end()) return std::nullopt;
    return found->second.name.substr(0, maxLength);
}

void FakeWindows::DeleteAtom(std::uint16_t atom) {
    std::lock_guard lock(mutex_);
    auto found = atoms_.find(atom);
    if (found != atoms_.end() && --found->second.references == 0) atoms_.erase(found);
}

bool FakeWindows::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                       std::uint32_t) {
    WindowHandler* handler;
    {
        std::lock_guard lock(mutex_);
        auto found = windows_.find(window);
        if (found == windows_.end()) return false;
        handler = found->second;
    }
    handler->OnMessage(message, wParam, lParam);
    return true;
}

}  // namespace vexa
