#include <gtest/gtest.h>

#include "platform/fake/fake_ui.hpp"
#include "platform/posix/policy_trust.hpp"

namespace vexa {
namespace {

struct PolicyCase {
    const char* label;
    TrustPolicy policy;
    const char* answer;  // the user's, if asked
    bool trusted;
    bool asked;
};

TEST(PolicyTrust, AnswersByPolicyAndAsksOnlyWhenToldTo) {
    const PolicyCase cases[] = {
        {"yes", TrustPolicy::Yes, "no", true, false},
        {"no", TrustPolicy::No, "yes", false, false},
        {"ask, accepted", TrustPolicy::Ask, "yes", true, true},
        {"ask, refused", TrustPolicy::Ask, "no", false, true},
    };
    for (const PolicyCase& c : cases) {
        FakeUi ui;
        ui.Answer(c.answer);
        PolicyTrust trust(c.policy, ui);
        EXPECT_TRUE(trust.Available()) << c.label;
        EXPECT_EQ(trust.Verify("/downloads/setup.cab", TrustSubject::Cabinet), c.trusted) << c.label;
        EXPECT_EQ(ui.Questions().size(), c.asked ? 1u : 0u) << c.label;
    }
}

TEST(PolicyTrust, TheQuestionNamesTheFileAndAsksWhetherToRunIt) {
    FakeUi ui;
    PolicyTrust trust(TrustPolicy::Ask, ui);
    EXPECT_FALSE(trust.Verify("/downloads/program.exe", TrustSubject::PortableExecutable));  // no answer: No
    ASSERT_EQ(ui.Questions().size(), 1u);
    const FakeUi::Question& question = ui.Questions()[0];
    EXPECT_EQ(question.kind, "yesno");
    EXPECT_EQ(question.title, "Security Warning");
    EXPECT_NE(question.file.title.find("\"/downloads/program.exe\""), std::string::npos) << question.file.title;
    EXPECT_NE(question.file.title.find("publisher"), std::string::npos) << question.file.title;
    EXPECT_NE(question.file.title.find("run it?"), std::string::npos) << question.file.title;
}

TEST(PolicyTrust, ThePolicyCanChangeBetweenChecks) {
    FakeUi ui;
    PolicyTrust trust(TrustPolicy::No, ui);
    EXPECT_FALSE(trust.Verify("a.exe", TrustSubject::PortableExecutable));
    trust.SetPolicy(TrustPolicy::Yes);
    EXPECT_TRUE(trust.Verify("a.exe", TrustSubject::PortableExecutable));
    EXPECT_TRUE(ui.Questions().empty());
}

TEST(PolicyTrust, PolicyTexts) {
    EXPECT_EQ(PolicyTrust::Parse("ask"), TrustPolicy::Ask);
    EXPECT_EQ(PolicyTrust::Parse("yes"), TrustPolicy::Yes);
    EXPECT_EQ(PolicyTrust::Parse("no"), TrustPolicy::No);
    for (const char* text : {"", "Yes", "always", "n"}) EXPECT_EQ(PolicyTrust::Parse(text), std::nullopt) << text;
}

}  // namespace
}  // namespace vexa
