// The loader end to end: a release made with the toolbox, served on loopback, played by
// `vexa load` in a fresh prefix, with the sample program started from it.

#include <gtest/gtest.h>

#include "tests/e2e/load_page.hpp"
#include "tests/e2e/served_release.hpp"

namespace vexa::testing {
namespace {

class LoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LoadIsBuilt()) GTEST_SKIP() << "vexa load not built yet";
    }
};

TEST_F(LoadTest, FirstVisitStartsTheProgramWhichSendsThePageOn) {
    ServedRelease release({"--arg", "http://127.0.0.1/next.htm"});
    ASSERT_TRUE(release.Served());

    LoadOutcome outcome = LoadPage(release.PageUrl());

    EXPECT_EQ(outcome.status, 0) << outcome.progress;
    std::vector<std::string> expected{"ScriptDone()", R"(CustomEvent("GOTO URL") with "http://127.0.0.1/next.htm")"};
    EXPECT_EQ(outcome.events, expected) << outcome.progress;
}

}  // namespace
}  // namespace vexa::testing
