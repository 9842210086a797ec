// Messages to a window of another process: the window fixture runs as a program of its
// own, on POSIX systems through the window station of the shared prefix.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/native.hpp"
#include "tests/platform/fixture_window.hpp"

namespace vexa {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr const char* kEventName = "GOTO URL";
// Far above the handles a fresh prefix gives out, and of a generation Wine never reaches.
constexpr WindowHandle kNeverGivenOut = 0x7FFFFFF0;

class MessagesBetweenProcesses : public ::testing::Test {
protected:
    NativePlatform platform_;
    Windows& windows_ = platform_.Get().windows;
    testing::FixtureWindow fixture_{kEventName};

    void SetUp() override {
        ASSERT_TRUE(fixture_.Program().Started());
        ASSERT_TRUE(fixture_.Ready());
    }

    // Sends `text` as an atom, deleted once the message was handled.
    bool SendText(const std::string& text) {
        std::uint16_t atom = windows_.AddAtom(text);
        bool handled = windows_.Send(fixture_.Handle(), fixture_.Message(), atom, 0, 5000);
        windows_.DeleteAtom(atom);
        return handled;
    }

    // Every way of reaching the window fails, and soon.
    void ExpectUnreachable(WindowHandle window) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(windows_.Post(window, fixture_.Message(), 0, 0));
        EXPECT_FALSE(windows_.Send(window, fixture_.Message(), 0, 0, 5000));
        EXPECT_FALSE(windows_.IsWindow(window));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    }
};

TEST_F(MessagesBetweenProcesses, TheSameNameIsTheSameMessageInEveryProcess) {
    EXPECT_EQ(windows_.RegisterMessage("goto url"), fixture_.Message());
    EXPECT_NE(windows_.RegisterMessage("PREVIOUS PAGE"), fixture_.Message());
    EXPECT_TRUE(windows_.IsWindow(fixture_.Handle()));
    EXPECT_TRUE(SendText("quit"));
}

TEST_F(MessagesBetweenProcesses, SentAndPostedMessagesCarryTheirAtomsText) {
    // A send returns once the handler has run, so its line is there already.
    ASSERT_TRUE(SendText("http://example.test/next page.htm"));
    EXPECT_EQ(fixture_.Log(), Lines({"http://example.test/next page.htm"}));

    std::uint16_t atom = windows_.AddAtom("posted");
    ASSERT_TRUE(windows_.Post(fixture_.Handle(), fixture_.Message(), atom, 0));
    ASSERT_TRUE(windows_.Post(fixture_.Handle(), fixture_.Message(), 0, 0));
    EXPECT_EQ(fixture_.LogOf(3), Lines({"http://example.test/next page.htm", "posted", "-"}));
    windows_.DeleteAtom(atom);

    ASSERT_TRUE(SendText("quit"));
    EXPECT_TRUE(fixture_.Program().WaitForExit(10s));
    ExpectUnreachable(fixture_.Handle());
}

TEST_F(MessagesBetweenProcesses, AWindowWhoseProcessWasKilledIsUnreachable) {
    fixture_.Program().Kill();
    ExpectUnreachable(fixture_.Handle());
}

TEST_F(MessagesBetweenProcesses, AHandleNeverGivenOutIsUnreachable) {
    ExpectUnreachable(kNeverGivenOut);
    EXPECT_TRUE(SendText("quit"));
}

}  // namespace
}  // namespace vexa
