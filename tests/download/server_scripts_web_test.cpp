// Form posts through the system's Internet layer to a real web server and its script.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "loader/url_transfer.hpp"
#include "platform/native.hpp"
#include "platform/posix/prefix.hpp"
#include "tests/download/server_scripts_host.hpp"
#include "tests/support/cgi_web_server.hpp"

namespace vexa::download {
namespace {

namespace fs = std::filesystem;
using test::CgiEvent;
using test::ScriptsHost;
using vexa::test::CgiWebServer;

bool Says(const std::string& response, const std::string& line) {
    return response.find(line + "\n") != std::string::npos;
}

class ServerScriptsWebTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Running()); }

    // The machine trusts the test authority, as one trusts a root installed on it.
    void TrustTheTestAuthority() {
        fs::copy_file(server_.CaFile(), PosixPrefix::FromEnvironment().TrustedRoots(),
                      fs::copy_options::overwrite_existing);
    }
    // The one event of the one request sent.
    CgiEvent OnlyEvent() {
        EXPECT_TRUE(host_.RunUntilAnswered());
        EXPECT_EQ(host_.events.size(), 1u);
        return host_.events.empty() ? CgiEvent{} : host_.events[0];
    }

    CgiWebServer server_;
    NativePlatform platform_;
    ScriptsHost host_{platform_.Get().internet, platform_.Get().windows};
    ServerScripts& scripts_ = host_.scripts();
};

TEST_F(ServerScriptsWebTest, FieldsReachTheScriptByGetAndByPost) {
    const struct {
        std::string method, query, body, contentType;
    } cases[] = {
        {"GET", "k=v&name=Ann%20Lee&sum=1+1%3D2", "", ""},
        {"POST", "k=v", "name=Ann%20Lee&sum=1+1%3D2", "application/x-www-form-urlencoded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        host_.events.clear();
        scripts_.SetCgiField("name", "Ann Lee");
        scripts_.SetCgiField("sum", "1+1=2");
        ASSERT_GT(scripts_.SendFieldsToCgi(server_.Url("/echo.cgi?k=v"), c.method), 0);
        CgiEvent event = OnlyEvent();
        ASSERT_TRUE(event.done) << event;
        EXPECT_TRUE(Says(event.response, "method: " + c.method)) << event.response;
        EXPECT_TRUE(Says(event.response, "query: " + c.query)) << event.response;
        EXPECT_TRUE(Says(event.response, "content-type: " + c.contentType)) << event.response;
        EXPECT_TRUE(Says(event.response, "agent: echo.cgi")) << event.response;
        EXPECT_TRUE(event.response.ends_with("\n\n" + c.body)) << event.response;
    }
}

// The server checks the credentials; a refused password still brings the server's answer.
TEST_F(ServerScriptsWebTest, CredentialsAreSentWithEveryRequest) {
    scripts_.SetUserNameAndPassword(CgiWebServer::kUser, CgiWebServer::kPassword);
    scripts_.SendStringToCgi(server_.Url("/private/echo.cgi"), "a=1", "POST");
    scripts_.SendStringToCgi(server_.Url("/private/echo.cgi"), "a=2", "GET");
    ASSERT_TRUE(host_.RunUntilAnswered());
    ASSERT_EQ(host_.events.size(), 2u);
    for (const CgiEvent& event : host_.events) {
        ASSERT_TRUE(event.done) << event;
        EXPECT_TRUE(Says(event.response, "user: alice")) << event.response;
    }
    host_.events.clear();
    scripts_.SetUserNameAndPassword(CgiWebServer::kUser, "wrong");
    scripts_.SendStringToCgi(server_.Url("/private/echo.cgi"), "a=3", "POST");
    CgiEvent refused = OnlyEvent();
    ASSERT_TRUE(refused.done) << refused;
    EXPECT_EQ(refused.response.find("user: "), std::string::npos) << refused.response;
}

TEST_F(ServerScriptsWebTest, AQuickAnswerOvertakesASlowOneAndEachKeepsItsSlot) {
    EXPECT_EQ(scripts_.SendStringToCgi(server_.Url("/echo.cgi"), "sleep=1500&n=1", "GET"), 1);
    EXPECT_EQ(scripts_.SendStringToCgi(server_.Url("/echo.cgi"), "n=2", "GET"), 2);
    EXPECT_EQ(scripts_.SendStringToCgi(server_.Url("/echo.cgi"), "n=3", "GET"), 3);
    ASSERT_TRUE(host_.RunUntilAnswered());
    ASSERT_EQ(host_.events.size(), 3u);
    EXPECT_EQ(host_.events.back().id, 1);
    for (const CgiEvent& event : host_.events) {
        std::string query = event.id == 1 ? "sleep=1500&n=1" : "n=" + std::to_string(event.id);
        EXPECT_TRUE(Says(event.response, "query: " + query)) << event;
    }
}

TEST_F(ServerScriptsWebTest, GoingAwayDoesNotWaitForASlowServer) {
    scripts_.SendStringToCgi(server_.Url("/echo.cgi"), "sleep=20000", "GET");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the request is on its way
    auto start = std::chrono::steady_clock::now();
    host_.DestroyScripts();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(ServerScriptsWebTest, APostOverTlsNeedsTheServersAuthorityTrusted) {
    scripts_.SendStringToCgi(server_.TlsUrl("/echo.cgi"), "a=1", "POST");
    EXPECT_EQ(OnlyEvent(), (CgiEvent{1, false, {}, kCgiNoConnection}));
    host_.events.clear();
    TrustTheTestAuthority();
    scripts_.SendStringToCgi(server_.TlsUrl("/echo.cgi"), "a=1", "POST");
    CgiEvent event = OnlyEvent();
    ASSERT_TRUE(event.done) << event << " " << scripts_.LastErrorCause();
    EXPECT_TRUE(event.response.ends_with("\n\na=1")) << event.response;
}

TEST_F(ServerScriptsWebTest, ADownloadOverTlsFromTheTrustedServer) {
    TrustTheTestAuthority();
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    std::ofstream(fs::path(server_.Root()) / "setup.cab", std::ios::binary) << bytes;
    Platform& platform = platform_.Get();
    auto marker = platform.files.CreateTempFile("~dl");
    ASSERT_TRUE(marker);
    loader::SessionSlot session;
    loader::TransferResult result = loader::TransferUrl({platform.files, platform.clock, platform.internet},
                                                        server_.TlsUrl("/setup.cab"), *marker, session,
                                                        [](std::uint64_t, std::uint64_t) {});
    ASSERT_TRUE(result.file) << result.cause;
    std::ifstream in(*result.file, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == bytes);
    fs::remove(*marker);
}

TEST_F(ServerScriptsWebTest, FailuresBeforeAndAtTheConnection) {
    const struct {
        std::string url;
        std::int32_t status;
    } cases[] = {
        {"http://127.0.0.1:1/echo.cgi", kCgiNoConnection},
        {"gopher://127.0.0.1/echo.cgi", kCgiSchemeRefused},
        {"127.0.0.1/echo.cgi", kCgiUrlNotSplit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        host_.events.clear();
        std::int32_t number = scripts_.SendStringToCgi(c.url, "a=1", "POST");
        EXPECT_EQ(OnlyEvent(), (CgiEvent{number, false, {}, c.status}));
    }
}

}  // namespace
}  // namespace vexa::download
