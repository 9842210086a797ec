// `vexa post` sends a form as the download control does and prints the script's answer.

#include <gtest/gtest.h>

#include "tests/support/cgi_web_server.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

using test::CgiWebServer;

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

TEST(VexaPost, PrintsTheAnswerToAFormPostedOrSentAsAQuery) {
    CgiWebServer server;
    ASSERT_TRUE(server.Running());
    Outcome posted = Vexa({"post", server.Url("/private/echo.cgi?k=v"), "name=Ann Lee", "sum=1+1=2", "--user",
                           CgiWebServer::kUser, "--password", CgiWebServer::kPassword});
    ASSERT_EQ(posted.status, 0) << posted.output;
    EXPECT_TRUE(Says(posted, "method: POST\nquery: k=v\ncontent-type: application/x-www-form-urlencoded\nuser: alice\n"))
        << posted.output;
    EXPECT_TRUE(posted.output.ends_with("\n\nname=Ann%20Lee&sum=1+1%3D2")) << posted.output;

    Outcome got = Vexa({"post", "--get", server.Url("/echo.cgi"), "a=1"});
    ASSERT_EQ(got.status, 0) << got.output;
    EXPECT_TRUE(Says(got, "method: GET\nquery: a=1\n")) << got.output;
}

TEST(VexaPost, AFailedRequestNamesItsStatusAndBadInputIsRefused) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string says;
    } cases[] = {
        {{"post", "http://127.0.0.1:1/echo.cgi", "a=1"}, 1, "status -4, no connection to the host"},
        {{"post", "ftp://127.0.0.1/echo.cgi"}, 2, "status -2, the scheme is neither HTTP nor HTTPS"},
        {{"post", "http://127.0.0.1:1/echo.cgi", "novalue"}, 2, "\"novalue\": a field is NAME=VALUE"},
        {{"post", "http://127.0.0.1:1/echo.cgi", "--password", "p"}, 2, "--password needs --user"},
    };
    for (const auto& c : cases) {
        Outcome outcome = Vexa(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.output;
        EXPECT_TRUE(Says(outcome, c.says)) << outcome.output;
    }
}

}  // namespace
}  // namespace vexa::testing
