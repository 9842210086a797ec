#include "platform/posix/posix_clock.hpp"

#include <chrono>
#include <ctime>
#include <thread>

namespace vexa {

std::uint32_t PosixClock::TickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

TimeStamp PosixClock::LocalNow() {
    std::time_t now = std::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void PosixClock::Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vexa
