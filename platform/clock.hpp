#pragma once
// Time as the core sees it: a millisecond tick count for measuring intervals, the local
// date and time for stamps, and sleeping.

#include <cstdint>

#include "common/timestamp.hpp"

namespace vexa {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start, wrapping after 2^32 (about 49.7 days):
    // measure intervals as unsigned differences, which survive the wrap.
    virtual std::uint32_t TickCount() = 0;
    virtual TimeStamp LocalNow() = 0;
    // Blocks the calling thread.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// Whether tick `due` has been reached at tick `now`; right across the wrap for intervals
// below 2^31 ms.
inline bool TickReached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

}  // namespace vexa
