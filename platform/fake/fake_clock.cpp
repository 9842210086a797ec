#include "platform/fake/fake_clock.hpp"

#include <thread>

namespace vexa {

void FakeClock::SetLocalNow(const TimeStamp& now) {
    std::lock_guard lock(mutex_);
    now_ = now;
}

TimeStamp FakeClock::LocalNow() {
    std::lock_guard lock(mutex_);
    return now_;
}

// Yields, so that a thread polling in a loop lets the thread it waits for run.
void FakeClock::Sleep(std::uint32_t milliseconds) {
    Advance(milliseconds);
    slept_ += milliseconds;
    std::this_thread::yield();
}

}  // namespace vexa
