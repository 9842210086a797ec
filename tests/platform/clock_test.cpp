#include <gtest/gtest.h>

#include <ctime>

#include "platform/native.hpp"

namespace vexa {
namespace {

TEST(Clock, TickReachedHoldsAcrossTheWrap) {
    const struct {
        std::uint32_t now, due;
        bool reached;
    } cases[] = {
        {100, 100, true},        {99, 100, false},
        {101, 100, true},        {5, 0xFFFFFFF0u, true},  // the count wrapped after the timer was set
        {0xFFFFFFF0u, 5, false},                          // due after the wrap, not yet reached
        {0x7FFFFFFFu, 0, true},
    };
    for (const auto& c : cases) EXPECT_EQ(TickReached(c.now, c.due), c.reached) << c.now << " " << c.due;
}

TEST(Clock, NativeTicksFollowSleepsAndLocalNowIsTheLocalTime) {
    NativePlatform platform;
    Clock& clock = platform.Get().clock;
    std::uint32_t before = clock.TickCount();
    clock.Sleep(40);
    std::uint32_t slept = clock.TickCount() - before;
    EXPECT_GE(slept, 20u);  // the system's tick may be as coarse as 16 ms
    EXPECT_LT(slept, 5000u);

    std::time_t now = std::time(nullptr);
    std::tm expected = *std::localtime(&now);
    TimeStamp local = clock.LocalNow();
    EXPECT_EQ(local.year, expected.tm_year + 1900);
    EXPECT_EQ(local.month, expected.tm_mon + 1);
    EXPECT_EQ(local.day, expected.tm_mday);
    EXPECT_EQ(local.hour, expected.tm_hour);
    EXPECT_NEAR(local.minute * 60 + local.second, expected.tm_min * 60 + expected.tm_sec, 2);
}

}  // namespace
}  // namespace vexa
