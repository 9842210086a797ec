// The download engine over the system's Internet layer, against the fault-injecting
// server on loopback. The clock and the message loop are fakes, so the watchdog's
// minutes pass at once while the transfer itself is real.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "loader/download_engine.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_windows.hpp"
#include "platform/native.hpp"
#include "tests/support/fault_http_server.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::loader {
namespace {

constexpr DownloadMessages kMessages{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};
constexpr std::uint32_t kTimer = 1;

class DownloadEngineServerTest : public ::testing::Test, public WindowHandler {
protected:
    void SetUp() override {
        ASSERT_TRUE(Server().Running());
        window_ = windows_.Create(*this);
        engine_ = std::make_unique<DownloadEngine>(
            DownloadPorts{native_.Get().files, clock_, windows_, native_.Get().internet}, window_, kMessages,
            dir_.path().string());
    }
    void TearDown() override {
        engine_.reset();
        windows_.Destroy(window_);
    }
    static const test::FaultHttpServer& Server() { return test::FaultHttpServer::Get(); }

    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (message == kMessages.done && engine_->EndIsCurrent(wParam)) done_ = engine_->OnDone();
        if (message == kMessages.failed && engine_->EndIsCurrent(wParam)) failed_ = engine_->OnFailed();
        if (message == kMessages.progress) {
            ++progress_;
            engine_->OnProgress(wParam, static_cast<std::uint64_t>(lParam));
        }
    }
    void OnTimer(std::uint32_t) override {
        if (engine_->Downloading()) engine_->WatchdogStep();
    }

    // Real transfers: the fake loop waits for the worker in real time while no timer is set.
    bool Fetch(const std::string& path) {
        done_.reset();
        failed_.reset();
        if (!engine_->StartDownload(Server().Url(path), DownloadKind::ProgramCabinet)) return false;
        return windows_.RunUntil([this] { return done_ || failed_; }, 60'000);
    }

    testing::TempDir dir_;
    NativePlatform native_;
    FakeClock clock_;
    FakeWindows windows_{clock_, std::chrono::seconds(20)};
    WindowHandle window_ = 0;
    std::unique_ptr<DownloadEngine> engine_;
    std::optional<std::string> done_;
    std::optional<DownloadFailure> failed_;
    int progress_ = 0;
};

TEST_F(DownloadEngineServerTest, AFileWithItsLengthArrivesWhole) {
    ASSERT_TRUE(Fetch("/file/300000/whole/Program.cab"));
    ASSERT_TRUE(done_);
    std::string bytes = testing::ReadFile(*done_);
    ASSERT_EQ(bytes.size(), 300'000u);
    for (std::size_t i = 0; i < bytes.size(); i += 4099)
        ASSERT_EQ(static_cast<unsigned char>(bytes[i]), test::FaultHttpServer::PatternByte(i)) << i;
    EXPECT_GE(progress_, 1);
}

// Each failure names its cause; a broken body in the Internet layer's own words.
TEST_F(DownloadEngineServerTest, ServerFaultsFailWithTheirCause) {
    const struct {
        const char* path;
        const char* cause;  // null: the system's or the library's text
    } cases[] = {
        {"/nolength/5000/a.cab", "the server announced no length"},
        {"/chunked/9000/a.cab", "the server announced no length"},
        {"/status/404/a.cab", "HTTP 404"},
        {"/status/500/a.cab", "HTTP 500"},
        {"/short/500/1000/a.cab", nullptr},
        {"/drop/70000/a.cab", nullptr},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Fetch(c.path)) << c.path;
        ASSERT_TRUE(failed_) << c.path;
        EXPECT_EQ(failed_->url, Server().Url(c.path));
        if (c.cause) {
            EXPECT_EQ(failed_->cause, c.cause);
        }
        EXPECT_FALSE(failed_->cause.empty()) << c.path;
        EXPECT_NE(failed_->cause, "no answer") << c.path;
        std::cout << c.path << ": " << failed_->cause << '\n';
    }
}

TEST_F(DownloadEngineServerTest, ASlowTrickleArrivesWithProgressOnTheWay) {
    ASSERT_TRUE(Fetch("/trickle/3000/500/100/slow.cab"));
    EXPECT_TRUE(done_);
    EXPECT_GE(progress_, 1);
}

TEST_F(DownloadEngineServerTest, AStalledServerIsAskedAgainAfterTheCountdown) {
    ASSERT_TRUE(engine_->StartDownload(Server().Url("/stall/1000/stalled.cab"), DownloadKind::ProgramCabinet));
    ASSERT_TRUE(windows_.RunUntil([this] { return progress_ > 0; }, 30'000));
    EXPECT_EQ(engine_->Figures().bytesDone, 1000);

    windows_.SetTimer(window_, kTimer, 100);
    windows_.RunUntil([this] { return engine_->StallCountdown() == 1; }, 400'000);
    EXPECT_EQ(progress_, 1);
    windows_.RunUntil([this] { return engine_->StallCountdown() == kStallCountdown; }, 5'000);
    windows_.KillTimer(window_, kTimer);
    EXPECT_TRUE(engine_->Downloading());
    EXPECT_EQ(engine_->Figures().bytesDone, 0);  // the first attempt's bytes left the total

    // The second attempt reaches the server and reports its first bytes again.
    ASSERT_TRUE(windows_.RunUntil([this] { return progress_ > 1; }, 30'000));
    EXPECT_EQ(engine_->Figures().bytesDone, 1000);
    EXPECT_FALSE(done_ || failed_);
}

}  // namespace
}  // namespace vexa::loader
