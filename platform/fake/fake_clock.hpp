#pragma once
// A clock that moves only when told to, so that timeouts of minutes are tested in
// microseconds. Safe to use from several threads.

#include <atomic>
#include <mutex>

#include "platform/clock.hpp"

namespace vexa {

class FakeClock final : public Clock {
public:
    explicit FakeClock(std::uint32_t startTick = 0) : ticks_(startTick) {}

    void Advance(std::uint32_t milliseconds) { ticks_ += milliseconds; }
    // The local time stays where it was set; advancing the ticks does not move it.
    void SetLocalNow(const TimeStamp& now);
    // Total milliseconds that callers of Sleep asked for.
    std::uint64_t Slept() const { return slept_; }

    std::uint32_t TickCount() override { return ticks_; }
    TimeStamp LocalNow() override;
    // Returns at once, the clock moved on by `milliseconds`.
    void Sleep(std::uint32_t milliseconds) override;

private:
    std::atomic<std::uint32_t> ticks_;
    std::atomic<std::uint64_t> slept_{0};
    std::mutex mutex_;
    TimeStamp now_{2000, 1, 1, 0, 0, 0};
};

}  // namespace vexa
