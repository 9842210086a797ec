// vexa event send run as a process against the window fixture.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/platform/fixture_window.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa {
namespace {

using Lines = std::vector<std::string>;

TEST(VexaEventSend, SendsTheEventWithItsTextAndWaitsForIt) {
    testing::FixtureWindow fixture("GOTO URL");
    ASSERT_TRUE(fixture.Ready());
    std::string window = std::to_string(fixture.Handle());

    // The text is everything after the first "?"; an empty one sends no atom.
    struct Case {
        std::string event;
        std::string logged;
    };
    Lines logged;
    for (const Case& c : {Case{"GOTO URL?page2.htm?x=1", "page2.htm?x=1"}, Case{"goto url", "-"},
                          Case{"Goto Url?", "-"}}) {
        testing::Outcome sent = testing::Vexa({"event", "send", window, c.event});
        EXPECT_EQ(sent.status, 0) << c.event << ": " << sent.output;
        logged.push_back(c.logged);
        EXPECT_EQ(fixture.Log(), logged) << c.event;
    }
    EXPECT_EQ(testing::Vexa({"event", "send", window, "GOTO URL?quit"}).status, 0);
    EXPECT_TRUE(fixture.Program().WaitForExit(std::chrono::seconds(10)));
}

TEST(VexaEventSend, AWindowThatIsGoneFailsAtOnceAndSaysSo) {
    auto start = std::chrono::steady_clock::now();
    testing::Outcome sent = testing::Vexa({"event", "send", "123456", "GOTO URL?page2.htm"});
    EXPECT_EQ(sent.status, 1);
    EXPECT_NE(sent.output.find("123456"), std::string::npos) << sent.output;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace vexa
