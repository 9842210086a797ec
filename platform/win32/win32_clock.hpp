#pragma once

#include "platform/clock.hpp"

namespace vexa {

class Win32Clock final : public Clock {
public:
    std::uint32_t TickCount() override;
    TimeStamp LocalNow() override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace vexa
