#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "platform/native.hpp"
#include "tests/support/fault_http_server.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

using test::FaultHttpServer;

constexpr std::size_t kBlock = 64 * 1024;
const std::string kAcceptAll = "Accept: */*\r\n\r\n";

struct ReadOutcome {
    std::string bytes;
    bool failed = false;
};

// Reads to the end of the body or to the first failed read.
ReadOutcome ReadAll(InternetResponse& response, std::size_t block = kBlock) {
    ReadOutcome outcome;
    std::string buffer(block, '\0');
    for (;;) {
        std::optional<std::size_t> got = response.Read(reinterpret_cast<unsigned char*>(buffer.data()), block);
        if (!got) outcome.failed = true;
        if (!got || *got == 0) return outcome;
        outcome.bytes.append(buffer.data(), *got);
    }
}

bool IsPattern(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) != FaultHttpServer::PatternByte(i)) return false;
    return true;
}

// The system's adapter against the fault-injecting server. Wine's cache keeps its entries
// from run to run, so every URL carries a token of this run.
class InternetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Running()); }

    Internet& internet() { return platform_.Get().internet; }
    std::string Url(const std::string& path, const std::string& name = "body.bin") const {
        static const std::string run = std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
        return server_.Url(path + "/" + run + "/" + name);
    }

    // Opens `url` on a session of its own, reads it all and closes the session, as a
    // download does before it looks in the cache.
    ReadOutcome Fetch(const std::string& url, std::optional<std::uint64_t>* length = nullptr) {
        auto session = internet().OpenSession("body.bin");
        auto response = session ? session->OpenUrl(url, kAcceptAll, false) : nullptr;
        EXPECT_NE(response, nullptr) << url;
        if (!response) return {{}, true};
        if (length) *length = response->ContentLength();
        return ReadAll(*response);
    }

    const FaultHttpServer& server_ = FaultHttpServer::Get();
    NativePlatform platform_;
};

TEST_F(InternetTest, ABodyReadToItsEndIsCachedAsTheSameBytes) {
    const struct {
        std::string path;
        std::optional<std::uint64_t> length;
    } cases[] = {
        {"/file/300000", 300000},
        {"/nolength/300000", std::nullopt},
        {"/chunked/300000", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string url = Url(c.path);
        std::optional<std::uint64_t> length;
        ReadOutcome outcome = Fetch(url, &length);
        EXPECT_EQ(length, c.length);
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.bytes.size(), 300000u);
        EXPECT_TRUE(IsPattern(outcome.bytes));
        std::optional<std::string> cached = internet().CachedFile(url);
        ASSERT_TRUE(cached);
        EXPECT_TRUE(testing::ReadFile(*cached) == outcome.bytes);
    }
}

TEST_F(InternetTest, ReadsOfAnySizeGetTheWholeBodyInOrder) {
    for (std::size_t block : {std::size_t{100}, std::size_t{4096}, std::size_t{100000}, std::size_t{1} << 20}) {
        SCOPED_TRACE(block);
        auto session = internet().OpenSession("body.bin");
        auto response = session->OpenUrl(Url("/file/400000"), kAcceptAll, false);
        ASSERT_NE(response, nullptr);
        ReadOutcome outcome = ReadAll(*response, block);
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.bytes.size(), 400000u);
        EXPECT_TRUE(IsPattern(outcome.bytes));
    }
}

// The session says why: the status, or the system's or the library's own words.
TEST_F(InternetTest, ErrorStatusesRefusalsAndUntrustedCertificatesGiveNoResponse) {
    const struct {
        std::string url;
        std::string error;  // empty: any text of the system's
    } cases[] = {
        {Url("/status/404"), "HTTP 404"},
        {Url("/status/500"), "HTTP 500"},
        {"http://127.0.0.1:1/nobody.bin", ""},
        {server_.UntrustedTlsUrl("/file/100"), ""},
    };
    auto session = internet().OpenSession("body.bin");
    EXPECT_EQ(session->LastError(), "");
    for (const auto& c : cases) {
        EXPECT_EQ(session->OpenUrl(c.url, kAcceptAll, c.url.starts_with("https")), nullptr) << c.url;
        EXPECT_EQ(internet().CachedFile(c.url), std::nullopt) << c.url;
        const std::string error = session->LastError();
        std::cout << c.url << ": " << error << '\n';
        if (c.error.empty()) {
            EXPECT_FALSE(error.empty() || error.starts_with("HTTP ")) << c.url;
        } else {
            EXPECT_EQ(error, c.error);
        }
    }
}

TEST_F(InternetTest, ABrokenBodyFailsTheReadAndLeavesNoCacheEntry) {
    for (const char* path : {"/short/1000/5000", "/drop/200000"}) {
        SCOPED_TRACE(path);
        std::string url = Url(path);
        auto session = internet().OpenSession("body.bin");
        auto response = session->OpenUrl(url, kAcceptAll, false);
        ASSERT_NE(response, nullptr);
        ReadOutcome outcome = ReadAll(*response);
        EXPECT_TRUE(outcome.failed);
        std::cout << path << ": " << session->LastError() << '\n';
        EXPECT_FALSE(session->LastError().empty());
        EXPECT_TRUE(IsPattern(outcome.bytes));
        response.reset();  // the system's cache lets go of a broken body with its response
        EXPECT_EQ(internet().CachedFile(url), std::nullopt);
    }
}

TEST_F(InternetTest, ClosingTheSessionEndsAStalledReadAtOnce) {
    std::string url = Url("/stall/1000");
    auto session = internet().OpenSession("body.bin");
    auto response = session->OpenUrl(url, kAcceptAll, false);
    ASSERT_NE(response, nullptr);

    // The first 1000 bytes come at once; the read after them waits until the close.
    std::chrono::steady_clock::time_point closed;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        closed = std::chrono::steady_clock::now();
        session->Close();
    });
    unsigned char buffer[kBlock];
    std::size_t received = 0;
    std::optional<std::size_t> got;
    while ((got = response->Read(buffer, sizeof buffer)) && *got > 0) received += *got;
    auto returned = std::chrono::steady_clock::now();
    closer.join();

    EXPECT_EQ(received, 1000u);
    EXPECT_EQ(got, std::nullopt);
    auto reaction = std::chrono::duration_cast<std::chrono::microseconds>(returned - closed);
    std::cout << "read returned " << reaction.count() << " us after the close\n";
    EXPECT_LT(reaction, std::chrono::seconds(2));
    EXPECT_EQ(response->Read(buffer, sizeof buffer), std::nullopt);
    EXPECT_EQ(session->OpenUrl(Url("/file/10"), kAcceptAll, false), nullptr);
    EXPECT_EQ(session->LastError(), "session closed");
    response.reset();
    EXPECT_EQ(internet().CachedFile(url), std::nullopt);
}

TEST_F(InternetTest, RequestHeadersAndTheAgentReachTheServer) {
    auto session = internet().OpenSession("setup.cab");
    auto response = session->OpenUrl(Url("/echo"), "Accept: */*\r\nX-Probe: forty-two\r\n\r\n", false);
    ASSERT_NE(response, nullptr);
    ReadOutcome outcome = ReadAll(*response);
    EXPECT_NE(outcome.bytes.find("X-Probe: forty-two"), std::string::npos) << outcome.bytes;
    EXPECT_NE(outcome.bytes.find("User-Agent: setup.cab"), std::string::npos) << outcome.bytes;
}

HttpRequest ToServer(const std::string& method, int port, const std::string& object) {
    HttpRequest request;
    request.method = method;
    request.host = "127.0.0.1";
    request.port = static_cast<std::uint16_t>(port);
    request.object = object;
    request.agent = method == "POST" ? "poster" : "getter";
    return request;
}

// Every failure names the step that failed, as both systems see it: a refused connection
// and a refused certificate are the connection's, however late the system finds out. The
// version asked for is "HTTP/1.0", which Wine's WinInet does not keep to.
TEST_F(InternetTest, ARequestCarriesItsMethodBodyHeadersAndCredentialsOrSaysWhereItFailed) {
    const std::string form = "Content-Type: application/x-www-form-urlencoded";
    HttpRequest post = ToServer("POST", server_.Port(), "/auth/user/secret/x.cgi?v=1");
    post.headers = form + "\r\n";
    post.body = "a=1&b=two";
    post.user = "user";
    post.password = "secret";
    HttpRequest wrongPassword = ToServer("GET", server_.Port(), "/auth/user/secret");
    wrongPassword.user = "user";
    wrongPassword.password = "wrong";
    HttpRequest untrusted = ToServer("GET", server_.TlsPort(), "/file/100");
    untrusted.secure = true;
    HttpRequest tooLong = ToServer("GET", server_.Port(), "/file/5000");
    tooLong.bodyLimit = 4999;
    const struct {
        HttpRequest request;
        RequestFailure failure;
        int status;
        std::vector<std::string> echoed;
    } cases[] = {
        {post, RequestFailure::None, 200, {"POST /auth/user/secret/x.cgi?v=1 HTTP/", form, "User-Agent: poster", "\r\n\r\na=1&b=two"}},
        {ToServer("GET", server_.Port(), "/echo/x?a=1"), RequestFailure::None, 200, {"GET /echo/x?a=1 HTTP/"}},
        {wrongPassword, RequestFailure::None, 401, {}},
        {ToServer("GET", server_.Port(), "/status/500"), RequestFailure::None, 500, {"status 500"}},
        {ToServer("GET", 1, "/nobody"), RequestFailure::Connection, 0, {}},
        {untrusted, RequestFailure::Connection, 0, {}},
        {ToServer("GET", server_.Port(), "/drop/1000"), RequestFailure::Answer, 0, {}},
        {tooLong, RequestFailure::Answer, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.method + " " + std::to_string(c.request.port) + c.request.object);
        RequestStop stop;
        HttpResult result = internet().Request(c.request, stop);
        EXPECT_EQ(result.failure, c.failure) << result.error;
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.error.empty(), c.failure == RequestFailure::None) << result.error;
        for (const std::string& text : c.echoed)
            EXPECT_NE(result.body.find(text), std::string::npos) << text << " in " << result.body;
    }
}

TEST_F(InternetTest, AStopEndsARequestWaitingForItsAnswerAtOnceAndOneMadeAfterItAtTheStart) {
    RequestStop stop;
    std::chrono::steady_clock::time_point stopped;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stopped = std::chrono::steady_clock::now();
        stop.Stop();
    });
    HttpResult result = internet().Request(ToServer("GET", server_.Port(), "/stall/1000"), stop);
    auto returned = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_EQ(result.failure, RequestFailure::Stopped);
    EXPECT_LT(returned - stopped, std::chrono::seconds(2));
    EXPECT_EQ(internet().Request(ToServer("GET", server_.Port(), "/echo"), stop).failure, RequestFailure::Stopped);
}

}  // namespace
}  // namespace vexa
