// The same contract for the system's windows and for the fake that tests drive.

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "platform/fake/fake_windows.hpp"
#include "platform/native.hpp"

namespace vexa {
namespace {

struct NativeLoop {
    NativePlatform platform;
    Windows& windows = platform.Get().windows;
    Clock& clock = platform.Get().clock;
};

struct FakeLoop {
    FakeClock clock{0xFFFFFF00u};  // close to the wrap, which timers must survive
    FakeWindows windows{clock, std::chrono::seconds(10)};
};

class Recorder final : public WindowHandler {
public:
    struct Seen {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::thread::id thread;
    };
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        messages.push_back({message, wParam, lParam, std::this_thread::get_id()});
        if (onMessage) onMessage(message);
    }
    void OnTimer(std::uint32_t id) override { timers.push_back(id); }

    std::vector<Seen> messages;
    std::vector<std::uint32_t> timers;
    std::function<void(std::uint32_t)> onMessage;
};

template <typename Loop>
class MessageWindows : public ::testing::Test {
protected:
    Loop loop_;
    Windows& windows_ = loop_.windows;
    Recorder recorder_;
};

using Loops = ::testing::Types<NativeLoop, FakeLoop>;
TYPED_TEST_SUITE(MessageWindows, Loops);

TYPED_TEST(MessageWindows, MessagesFromAnyThreadRunInOrderOnTheOwningThread) {
    WindowHandle window = this->windows_.Create(this->recorder_);
    ASSERT_NE(window, 0u);
    // A handler may post to its own window; that message comes after the waiting ones.
    this->recorder_.onMessage = [&](std::uint32_t message) {
        if (message == kUserMessage + 1 && this->recorder_.messages.size() == 1)
            this->windows_.Post(window, kUserMessage + 2, 0, 0);
    };
    std::thread poster([&] {
        for (std::uintptr_t i = 0; i < 50; ++i) {
            EXPECT_TRUE(this->windows_.Post(window, kUserMessage + 1, i, -7));
            if (i % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    bool ran = this->windows_.RunUntil([&] { return this->recorder_.messages.size() == 51; }, 10'000);
    poster.join();
    ASSERT_TRUE(ran);
    std::vector<std::uintptr_t> order;
    for (const auto& seen : this->recorder_.messages) {
        EXPECT_EQ(seen.thread, std::this_thread::get_id());
        if (seen.message != kUserMessage + 1) continue;
        order.push_back(seen.wParam);
        EXPECT_EQ(seen.lParam, -7);
    }
    std::vector<std::uintptr_t> expected(50);
    std::iota(expected.begin(), expected.end(), 0u);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(this->recorder_.messages[0].message, kUserMessage + 1);
    this->windows_.Destroy(window);
}

TYPED_TEST(MessageWindows, ADestroyedWindowDropsItsMessagesAndRefusesPosts) {
    WindowHandle window = this->windows_.Create(this->recorder_);
    ASSERT_TRUE(this->windows_.Post(window, kUserMessage, 1, 0));
    ASSERT_TRUE(this->windows_.SetTimer(window, 1, 10));
    EXPECT_TRUE(this->windows_.IsWindow(window));
    this->windows_.Destroy(window);
    EXPECT_FALSE(this->windows_.IsWindow(window));
    EXPECT_FALSE(this->windows_.Post(window, kUserMessage, 2, 0));
    this->loop_.clock.Sleep(40);
    EXPECT_FALSE(this->windows_.RunUntil([] { return false; }, 0));
    EXPECT_TRUE(this->recorder_.messages.empty());
    EXPECT_TRUE(this->recorder_.timers.empty());

    Recorder other;
    WindowHandle next = this->windows_.Create(other);
    EXPECT_NE(next, window);
    EXPECT_FALSE(this->windows_.IsWindow(0));
    this->windows_.Destroy(next);
}

TYPED_TEST(MessageWindows, TimersRepeatUntilKilled) {
    WindowHandle window = this->windows_.Create(this->recorder_);
    ASSERT_TRUE(this->windows_.SetTimer(window, 7, 20));
    std::uint32_t start = this->loop_.clock.TickCount();
    ASSERT_TRUE(this->windows_.RunUntil([&] { return this->recorder_.timers.size() == 3; }, 10'000));
    EXPECT_GE(this->loop_.clock.TickCount() - start, 40u);
    EXPECT_EQ(this->recorder_.timers, std::vector<std::uint32_t>(3, 7));
    this->windows_.KillTimer(window, 7);
    this->loop_.clock.Sleep(60);
    EXPECT_FALSE(this->windows_.RunUntil([] { return false; }, 0));
    EXPECT_EQ(this->recorder_.timers.size(), 3u);
    this->windows_.Destroy(window);
}

TYPED_TEST(MessageWindows, ALimitOfNothingRunsWhatIsWaiting) {
    WindowHandle window = this->windows_.Create(this->recorder_);
    this->windows_.Post(window, kUserMessage, 0, 0);
    this->windows_.Post(window, kUserMessage, 1, 0);
    EXPECT_FALSE(this->windows_.RunUntil([] { return false; }, 0));
    EXPECT_EQ(this->recorder_.messages.size(), 2u);
    this->windows_.Destroy(window);
}

TYPED_TEST(MessageWindows, RegisteredMessagesAreNamedWithoutRegardToCase) {
    std::uint32_t gotoUrl = this->windows_.RegisterMessage("GOTO URL");
    EXPECT_GE(gotoUrl, 0xC000u);
    EXPECT_EQ(this->windows_.RegisterMessage("Goto Url"), gotoUrl);
    std::uint32_t previous = this->windows_.RegisterMessage("PREVIOUS PAGE");
    EXPECT_GE(previous, 0xC000u);
    EXPECT_NE(previous, gotoUrl);
}

TYPED_TEST(MessageWindows, AtomsCarryTextsWithCountedReferences) {
    Windows& windows = this->windows_;
    std::uint16_t atom = windows.AddAtom("Hello World");
    ASSERT_NE(atom, 0u);
    EXPECT_EQ(windows.AtomName(atom, 256), "Hello World");
    EXPECT_EQ(windows.AtomName(atom, 5), "Hello");
    EXPECT_EQ(windows.AtomName(atom, 0), "");
    // The same name without regard to case is the same atom, keeping its first spelling.
    EXPECT_EQ(windows.AddAtom("HELLO WORLD"), atom);
    EXPECT_EQ(windows.AtomName(atom, 256), "Hello World");
    windows.DeleteAtom(atom);
    EXPECT_EQ(windows.AtomName(atom, 256), "Hello World");
    windows.DeleteAtom(atom);
    EXPECT_EQ(windows.AtomName(atom, 256), std::nullopt);

    std::string longest(255, 'x');
    std::uint16_t full = windows.AddAtom(longest);
    EXPECT_EQ(windows.AtomName(full, 256), longest);
    windows.DeleteAtom(full);
    EXPECT_EQ(windows.AddAtom(longest + "x"), 0u);
    EXPECT_EQ(windows.AddAtom(""), 0u);
}

TEST(NativeWindows, RunningStopsAtTheLimit) {
    NativePlatform platform;
    Clock& clock = platform.Get().clock;
    std::uint32_t start = clock.TickCount();
    EXPECT_FALSE(platform.Get().windows.RunUntil([] { return false; }, 60));
    EXPECT_GE(clock.TickCount() - start, 50u);
}

TEST(FakeWindows, ALongTimerFiresAtOnceAsTheClockJumpsToIt) {
    FakeClock clock;
    FakeWindows windows(clock);
    Recorder recorder;
    WindowHandle window = windows.Create(recorder);
    windows.SetTimer(window, 1, 300'000);
    auto realStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(windows.RunUntil([&] { return !recorder.timers.empty(); }, 400'000));
    EXPECT_EQ(clock.TickCount(), 300'000u);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(1));
    // Not before its time: with nothing else to wait for, the clock jumps to the limit.
    EXPECT_FALSE(windows.RunUntil([&] { return recorder.timers.size() == 2; }, 299'999));
    EXPECT_EQ(clock.TickCount(), 599'999u);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(1));
}

TEST(FakeWindows, WaitsPatientlyForPostsFromOtherThreads) {
    FakeClock clock;
    FakeWindows windows(clock, std::chrono::seconds(10));
    Recorder recorder;
    WindowHandle window = windows.Create(recorder);
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        windows.Post(window, kUserMessage, 0, 0);
    });
    EXPECT_TRUE(windows.RunUntil([&] { return !recorder.messages.empty(); }, 1));
    worker.join();
    EXPECT_EQ(clock.TickCount(), 0u);
}

}  // namespace
}  // namespace vexa
