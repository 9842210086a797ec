#include "download/custom_event_sender.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_windows.hpp"

namespace vexa::download {
namespace {

struct Received {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class Receiver final : public WindowHandler {
public:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        received.push_back({message, wParam, lParam});
    }
    void OnTimer(std::uint32_t) override {}

    std::vector<Received> received;
};

class CustomEventSenderTest : public ::testing::Test {
protected:
    // The messages posted so far, handled.
    const std::vector<Received>& Run() {
        windows_.RunUntil([] { return false; }, 0);
        return receiver_.received;
    }
    std::optional<std::string> Text(std::uintptr_t atom) {
        return windows_.AtomName(static_cast<std::uint16_t>(atom), kMaxCustomEventText);
    }

    FakeClock clock_;
    FakeWindows windows_{clock_};
    Receiver receiver_;
    WindowHandle window_ = windows_.Create(receiver_);
    CustomEventSender sender_{windows_};
};

TEST_F(CustomEventSenderTest, PostsTheNamedMessageWithItsTextInAnAtom) {
    ASSERT_TRUE(sender_.GenerateCustomEvent(window_, "GOTO URL?http://x/page.htm?a=1"));
    ASSERT_TRUE(sender_.GenerateCustomEvent(window_, "PREVIOUS PAGE"));
    ASSERT_TRUE(sender_.GenerateCustomEvent(window_, std::string(300, 'n') + "?" + std::string(255, 'p')));
    const auto& received = Run();
    ASSERT_EQ(received.size(), 3u);

    EXPECT_EQ(received[0].message, windows_.RegisterMessage("goto url"));
    EXPECT_EQ(Text(received[0].wParam), "http://x/page.htm?a=1");  // split at the first "?" only
    EXPECT_EQ(received[0].lParam, 0);
    EXPECT_EQ(received[1].message, windows_.RegisterMessage("Previous Page"));
    EXPECT_EQ(received[1].wParam, 0u);
    EXPECT_EQ(received[2].message, windows_.RegisterMessage(std::string(255, 'n')));
    EXPECT_EQ(Text(received[2].wParam), std::string(255, 'p'));
}

TEST_F(CustomEventSenderTest, FailsWithoutPostingOrKeepingAnAtom) {
    windows_.RefuseMessageName("REFUSED");
    EXPECT_FALSE(sender_.GenerateCustomEvent(window_, "REFUSED?text"));
    // A cut text, such as an address, would mislead its receiver.
    EXPECT_FALSE(sender_.GenerateCustomEvent(window_, "GOTO URL?" + std::string(256, 'p')));
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(windows_.AddAtom("text"), 0xC000);  // no atom was left allocated

    WindowHandle gone = windows_.Create(receiver_);
    windows_.Destroy(gone);
    EXPECT_FALSE(sender_.GenerateCustomEvent(gone, "GOTO URL?never read"));
    EXPECT_EQ(windows_.AddAtom("never read"), 0xC001);  // its atom went with the failed post
}

TEST_F(CustomEventSenderTest, KeepsTheNewestHundredAtoms) {
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(sender_.GenerateCustomEvent(window_, "E?" + std::to_string(i)));
    ASSERT_TRUE(sender_.GenerateCustomEvent(window_, "E"));  // no text, no atom to make room for
    auto received = Run();
    EXPECT_EQ(Text(received.front().wParam), "0");

    ASSERT_TRUE(sender_.GenerateCustomEvent(window_, "E?100"));
    received = Run();
    EXPECT_EQ(Text(received.back().wParam), "100");
    // The oldest went first: its number was free for the newest.
    EXPECT_EQ(received.back().wParam, received[0].wParam);
    EXPECT_EQ(Text(received[1].wParam), "1");
}

}  // namespace
}  // namespace vexa::download
