#include "download/server_scripts.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_internet.hpp"
#include "platform/fake/fake_windows.hpp"
#include "tests/download/server_scripts_host.hpp"

namespace vexa::download {
namespace {

using test::CgiEvent;
using test::ScriptsHost;

HttpResult Answer(std::string body) { return {RequestFailure::None, 200, std::move(body), {}}; }

class ServerScriptsTest : public ::testing::Test {
protected:
    FakeClock clock_;
    FakeWindows windows_{clock_, std::chrono::seconds(5)};
    FakeInternet internet_;
    ScriptsHost host_{internet_, windows_};
    ServerScripts& scripts_ = host_.scripts();
};

TEST(EncodeCgiField, EscapesPercentFirstThenLineBreaksAmpersandsEqualsAndBlanks) {
    const struct {
        std::string value;
        std::string encoded;
    } cases[] = {
        {"a b&c=d%e", "a%20b%26c%3Dd%25e"},
        {"%20", "%2520"},
        {"one\r\ntwo\nthree\r", "one%0D%0Atwo\nthree\r"},
        {"a+b?c/d", "a+b?c/d"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeCgiField(c.value), c.encoded) << c.value;
}

TEST_F(ServerScriptsTest, FieldsArePostedAsOneFormInTheirOrderThenForgotten) {
    EXPECT_EQ(scripts_.SendFieldsToCgi("http://cgi.example/cgi-bin/form.cgi", "POST"), 0);
    scripts_.SetUserNameAndPassword("alice", "secret");
    EXPECT_TRUE(scripts_.SetCgiField("name", "Ann Lee"));
    EXPECT_TRUE(scripts_.SetCgiField("sum", "1+1=2"));
    internet_.ScriptRequest("/cgi-bin/form.cgi", Answer("thanks"));
    EXPECT_EQ(scripts_.SendFieldsToCgi("http://cgi.example/cgi-bin/form.cgi", "post"), 1);
    EXPECT_EQ(scripts_.SendFieldsToCgi("http://cgi.example/cgi-bin/form.cgi", "post"), 0);
    ASSERT_TRUE(host_.RunUntilAnswered());

    EXPECT_EQ(host_.events, (std::vector<CgiEvent>{{1, true, "thanks"}}));
    ASSERT_EQ(internet_.Requests().size(), 1u);
    const HttpRequest sent = internet_.Requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.host, "cgi.example");
    EXPECT_EQ(sent.port, 80);
    EXPECT_FALSE(sent.secure);
    EXPECT_EQ(sent.object, "/cgi-bin/form.cgi");
    EXPECT_EQ(sent.headers, "Content-Type: application/x-www-form-urlencoded\r\n");
    EXPECT_EQ(sent.body, "name=Ann%20Lee&sum=1+1%3D2");
    EXPECT_EQ(sent.user, "alice");
    EXPECT_EQ(sent.password, "secret");
    EXPECT_EQ(sent.agent, "form.cgi");
}

// The URL's own query stays on the request line, and a GET's text joins it; the fragment
// is never sent. Any method but POST is a GET.
TEST_F(ServerScriptsTest, TheRequestLineAndPortFollowTheUrlAndTheMethod) {
    const struct {
        std::string url, text, method;
        std::string sentMethod, object, body;
        std::uint16_t port;
        bool secure;
    } cases[] = {
        {"http://h/p.cgi", "", "GET", "GET", "/p.cgi", "", 80, false},
        {"http://h/p.cgi", "a=1", "get", "GET", "/p.cgi?a=1", "", 80, false},
        {"http://h:8080/p.cgi?k=v#top", "a=1", "GET", "GET", "/p.cgi?k=v&a=1", "", 8080, false},
        {"HTTPS://h/p.cgi?k=v", "a=1", "Post", "POST", "/p.cgi?k=v", "a=1", 443, true},
        {"https://h:8443", "", "POST", "POST", "/", "", 8443, true},
        {"http://h/x", "t", "PUT", "GET", "/x?t", "", 80, false},
    };
    for (const auto& c : cases) scripts_.SendStringToCgi(c.url, c.text, c.method);
    ASSERT_TRUE(host_.RunUntilAnswered());
    std::vector<HttpRequest> sent = internet_.Requests();
    ASSERT_EQ(sent.size(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url + " " + c.method);
        auto found = std::find_if(sent.begin(), sent.end(), [&](const HttpRequest& r) {
            return r.object == c.object && r.port == c.port && r.method == c.sentMethod;
        });
        ASSERT_NE(found, sent.end());
        EXPECT_EQ(found->body, c.body);
        EXPECT_EQ(found->secure, c.secure);
        EXPECT_EQ(found->headers.empty(), c.sentMethod == "GET");
    }
}

TEST_F(ServerScriptsTest, AFailureRaisesTheErrorEventWithTheStatusOfItsStep) {
    const std::string tooLong = "http://h/" + std::string(300, 'x');
    const struct {
        std::string url;
        std::optional<RequestFailure> failure;  // scripted for /p.cgi
        std::int32_t status;
    } cases[] = {
        {"no url at all", std::nullopt, -1},
        {tooLong, std::nullopt, -1},
        {"http:///p.cgi", std::nullopt, -1},
        {"http://h:99999/p.cgi", std::nullopt, -1},
        {"ftp://h/p.cgi", std::nullopt, -2},
        {"http://h/p.cgi", RequestFailure::Session, -3},
        {"http://h/p.cgi", RequestFailure::Connection, -4},
        {"http://h/p.cgi", RequestFailure::Open, -5},
        {"http://h/p.cgi", RequestFailure::Send, -6},
        {"http://h/p.cgi", RequestFailure::Answer, -6},
    };
    std::int32_t number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        if (c.failure) internet_.ScriptRequest("/p.cgi", {*c.failure, 0, {}, "the system's words"});
        ASSERT_EQ(scripts_.SendStringToCgi(c.url, "a=1", "POST"), ++number);
        ASSERT_TRUE(host_.RunUntilAnswered());
        EXPECT_EQ(host_.events.back(), (CgiEvent{number, false, {}, c.status}));
        EXPECT_FALSE(scripts_.LastErrorCause().empty());
    }
}

// Two requests started at once each serve their own slot, whichever answers first.
TEST_F(ServerScriptsTest, EachRequestIsAnsweredInItsOwnSlotAndNumbersAreNeverGivenTwice) {
    internet_.ScriptRequest("/slow.cgi", Answer("slow answer"), true);
    internet_.ScriptRequest("/quick.cgi", Answer("quick answer"));
    EXPECT_EQ(scripts_.SendStringToCgi("http://h/slow.cgi", "", "GET"), 1);
    EXPECT_EQ(scripts_.SendStringToCgi("http://h/quick.cgi", "", "GET"), 2);
    ASSERT_TRUE(internet_.WaitForStall(std::chrono::seconds(5)));
    ASSERT_TRUE(windows_.RunUntil([this] { return !host_.events.empty(); }, 30'000));
    EXPECT_EQ(scripts_.Pending(), 1u);
    internet_.Release();
    ASSERT_TRUE(host_.RunUntilAnswered());
    EXPECT_EQ(host_.events, (std::vector<CgiEvent>{{2, true, "quick answer"}, {1, true, "slow answer"}}));
    EXPECT_EQ(scripts_.SendStringToCgi("http://h/quick.cgi", "", "GET"), 3);
    ASSERT_TRUE(host_.RunUntilAnswered());
}

TEST_F(ServerScriptsTest, TheAnswerIsTakenInBlocksOfAThousandBytesEachEndingAtItsFirstZeroByte) {
    std::string body = "ab" + std::string(1, '\0') + std::string(997, 'c') + "de" + std::string(1, '\0') + "f";
    internet_.ScriptRequest("/p.cgi", Answer(body + std::string(1, '\0')));
    scripts_.SendStringToCgi("http://h/p.cgi", "", "GET");
    ASSERT_TRUE(host_.RunUntilAnswered());
    EXPECT_EQ(host_.events, (std::vector<CgiEvent>{{1, true, "abde"}}));
}

TEST_F(ServerScriptsTest, GoingAwayStopsARequestWaitingForItsServerAndRaisesNothing) {
    internet_.ScriptRequest("/p.cgi", Answer("late"), true);
    scripts_.SendStringToCgi("http://h/p.cgi", "", "GET");
    ASSERT_TRUE(internet_.WaitForStall(std::chrono::seconds(5)));
    host_.DestroyScripts();  // returns although the server never answers
    windows_.RunUntil([] { return false; }, 0);
    EXPECT_TRUE(host_.events.empty());
}

}  // namespace
}  // namespace vexa::download
