#include "loader/download_engine.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "loader/url_transfer.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_internet.hpp"
#include "platform/fake/fake_windows.hpp"
#include "platform/native.hpp"
#include "tests/support/forwarding_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

constexpr DownloadMessages kMessages{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};
constexpr DownloadKind kProgram = DownloadKind::ProgramCabinet;
constexpr std::uint32_t kTimer = 1;
const std::string kUrl = "http://example.test/files/Program.cab";

// Temporary names as Windows gives them: the first free one, so a name deleted is soon
// handed out again.
class FirstFreeNames final : public testing::ForwardingFiles {
public:
    using ForwardingFiles::ForwardingFiles;
    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override {
        for (int n = 1;; ++n) {
            fs::path name = fs::path(folder) / (prefix + std::to_string(n) + ".tmp");
            if (fs::exists(name)) continue;
            std::ofstream{name};
            return name.string();
        }
    }
};

// A control's window as far as downloads go: the worker's messages go to the engine,
// and the 100 ms timer, where a test sets it, runs the watchdog. A timer makes the fake
// loop jump its clock instead of waiting for the worker's posts.
class DownloadEngineTest : public ::testing::Test, public WindowHandler {
protected:
    void SetUp() override {
        window_ = windows_.Create(*this);
        engine_ = std::make_unique<DownloadEngine>(DownloadPorts{files_, clock_, windows_, internet_},
                                                   window_, kMessages, dir_.path().string());
    }
    void TearDown() override {
        engine_.reset();
        windows_.Destroy(window_);
    }

    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        if (message == kMessages.done && engine_->EndIsCurrent(wParam)) done_ = engine_->OnDone();
        if (message == kMessages.failed && engine_->EndIsCurrent(wParam)) failed_ = engine_->OnFailed();
        if (message == kMessages.progress) {
            progress_.push_back(wParam);
            engine_->OnProgress(wParam, static_cast<std::uint64_t>(lParam));
        }
    }
    void OnTimer(std::uint32_t) override {
        if (engine_->Downloading()) engine_->WatchdogStep();
    }

    bool Ended() { return done_ || failed_; }
    bool RunUntilEnded() {
        return windows_.RunUntil([this] { return Ended(); }, 10'000);
    }
    std::size_t Markers() {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(dir_.path())) count += entry.path().filename().string().starts_with("~dl");
        return count;
    }

    testing::TempDir dir_;
    NativePlatform native_;
    FirstFreeNames files_{native_.Get().files};
    FakeClock clock_{5000};
    // Workers post from real threads: wait for them a while when nothing else is due.
    FakeWindows windows_{clock_, std::chrono::milliseconds(2000)};
    FakeInternet internet_;
    WindowHandle window_ = 0;
    std::unique_ptr<DownloadEngine> engine_;
    std::optional<std::string> done_;
    std::optional<DownloadFailure> failed_;
    std::vector<std::uint64_t> progress_;
};

TEST_F(DownloadEngineTest, FileUrlsNameTheirLocalFileAtOnce) {
    for (const std::string url : {"FILE://C:/cabs/a.cab", "file:///tmp/b.cab", "File://nothing/checked"}) {
        done_.reset();
        ASSERT_TRUE(engine_->StartDownload(url, kProgram));
        ASSERT_TRUE(RunUntilEnded()) << url;
        EXPECT_EQ(done_, url.substr(7));
    }
    EXPECT_TRUE(internet_.Sessions().empty());
}

TEST_F(DownloadEngineTest, OtherSchemesAndOverlongPartsFailWithoutASession) {
    const struct {
        std::string url;
        std::string cause;
    } cases[] = {
        {"ftp://example.test/a.cab", "the scheme \"ftp\" is not one of http, https, file"},
        {"gopher://example.test/a.cab", "the scheme \"gopher\" is not one of http, https, file"},
        {"no scheme at all", "not a URL"},
        {"http://example.test/" + std::string(300, 'p'), "a part of the URL is longer than 299 characters"},
    };
    for (const auto& c : cases) {
        failed_.reset();
        EXPECT_EQ(UrlRefusal(c.url), c.cause);
        ASSERT_TRUE(engine_->StartDownload(c.url, kProgram));
        ASSERT_TRUE(RunUntilEnded()) << c.url;
        ASSERT_TRUE(failed_);
        EXPECT_EQ(failed_->url, c.url);
        EXPECT_EQ(failed_->cause, c.cause);
    }
    EXPECT_TRUE(internet_.Sessions().empty());
}

TEST_F(DownloadEngineTest, AFetchedFileComesFromTheCacheWithProgressOnTheWay) {
    const std::string body(200'000, 'b');
    internet_.Script(kUrl, body).pieces = {30, 70'000};
    internet_.Script("https://example.test/Secure.cab", body);
    engine_->Figures().totalBytes = 400'000;

    ASSERT_TRUE(engine_->StartDownload(kUrl, kProgram));
    EXPECT_FALSE(engine_->StartDownload(kUrl, kProgram));  // one transfer at a time
    ASSERT_TRUE(RunUntilEnded());
    ASSERT_TRUE(done_);
    EXPECT_EQ(testing::ReadFile(*done_), body);
    EXPECT_EQ(done_, internet_.CachedFile(kUrl));
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.front(), 30u);  // the first block is reported at once
    EXPECT_FALSE(engine_->Downloading());
    EXPECT_EQ(Markers(), 1u);  // the job keeps its marker for its next transfer

    ASSERT_EQ(internet_.Sessions().size(), 1u);
    EXPECT_EQ(internet_.Sessions()[0].agent, "Program.cab");
    EXPECT_TRUE(internet_.Sessions()[0].closed);
    ASSERT_EQ(internet_.Opened().size(), 1u);
    EXPECT_EQ(internet_.Opened()[0].headers, "Accept: */*\r\n\r\n");
    EXPECT_FALSE(internet_.Opened()[0].secure);

    // Progress counts what was reported; the whole file counts once it is complete.
    EXPECT_EQ(engine_->Figures().bytesDone, static_cast<std::int64_t>(progress_.back()));
    engine_->FileArrived();
    EXPECT_EQ(engine_->Figures().fileBytes, 200'000);
    EXPECT_EQ(engine_->Figures().bytesDone, 200'000);

    done_.reset();
    ASSERT_TRUE(engine_->StartDownload("https://example.test/Secure.cab", kProgram));
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_TRUE(done_);
    EXPECT_TRUE(internet_.Opened()[1].secure);
    EXPECT_EQ(Markers(), 1u);
    engine_->DropDownload();
    EXPECT_EQ(Markers(), 0u);
}

TEST_F(DownloadEngineTest, ScriptDownloadsLeaveTheRunFiguresAlone) {
    internet_.Script(kUrl, "script cabinet");
    ASSERT_TRUE(engine_->StartDownload(kUrl, DownloadKind::ScriptCabinet));
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_FALSE(progress_.empty());
    EXPECT_EQ(engine_->Figures().bytesDone, 0);
}

TEST_F(DownloadEngineTest, ServerFaultsFailTheTransfer) {
    struct Case {
        const char* name;
        std::function<void(FakeInternet::Reply&)> fault;
        std::string cause;
    };
    const Case cases[] = {
        {"no content length", [](auto& r) { r.announceLength = false; }, "the server announced no length"},
        {"not found", [](auto& r) { r.status = 404; }, "HTTP 404"},
        {"server error", [](auto& r) { r.status = 500; }, "HTTP 500"},
        {"refused", [](auto& r) { r.status = 0; }, "connection refused"},
        {"dropped connection", [](auto& r) { r.failAfter = 400; }, "connection reset"},
    };
    for (const Case& c : cases) {
        std::string url = "http://example.test/" + std::string(c.name) + ".cab";
        c.fault(internet_.Script(url, std::string(1000, 'd')));
        failed_.reset();
        ASSERT_TRUE(engine_->StartDownload(url, kProgram)) << c.name;
        ASSERT_TRUE(RunUntilEnded()) << c.name;
        ASSERT_TRUE(failed_) << c.name;
        EXPECT_EQ(failed_->url, url) << c.name;
        EXPECT_EQ(failed_->cause, c.cause) << c.name;
        EXPECT_FALSE(internet_.CachedFile(url)) << c.name;
    }
    EXPECT_EQ(Markers(), 1u);
}

TEST_F(DownloadEngineTest, ADroppedTransferEndsWithoutAWord) {
    internet_.Script(kUrl, std::string(1000, 's')).stallAfter = 100;
    ASSERT_TRUE(engine_->StartDownload(kUrl, kProgram));
    ASSERT_TRUE(internet_.WaitForStall(std::chrono::seconds(5)));
    engine_->DropDownload();
    EXPECT_FALSE(engine_->Downloading());
    EXPECT_EQ(Markers(), 0u);
    // The worker's progress of the first block may still arrive; nothing else does.
    windows_.RunUntil([] { return false; }, 1000);
    EXPECT_FALSE(Ended());
    EXPECT_TRUE(internet_.Sessions()[0].closed);

    internet_.Script("http://example.test/next.cab", "next");
    ASSERT_TRUE(engine_->StartDownload("http://example.test/next.cab", kProgram));
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_TRUE(done_);
}

// The watchdog counts quiet seconds down from 300, shows the reconnect line from 10 on and
// restarts the same URL at 0; the bytes of the abandoned attempt are not counted twice.
TEST_F(DownloadEngineTest, AStalledTransferIsRestartedAfterThreeHundredQuietSeconds) {
    auto& reply = internet_.Script(kUrl, std::string(1000, 'w'));
    reply.pieces = {100};
    reply.stallAfter = 600;
    engine_->OpenWindow("Installing");
    engine_->Figures().totalBytes = 1000;
    ASSERT_TRUE(engine_->StartDownload(kUrl, kProgram));
    ASSERT_TRUE(internet_.WaitForStall(std::chrono::seconds(5)));
    std::uint32_t stalledAt = clock_.TickCount();
    windows_.SetTimer(window_, kTimer, 100);

    windows_.RunUntil([this] { return engine_->StallCountdown() == 10; }, 400'000);
    EXPECT_EQ(engine_->Window()->Model().overallText, "Lost connection to server. Now trying to reconnect (10)");
    EXPECT_TRUE(engine_->Window()->Model().rateText.empty());
    EXPECT_EQ(internet_.Sessions().size(), 1u);
    EXPECT_GE(clock_.TickCount() - stalledAt, 290'000u);

    windows_.RunUntil([this] { return internet_.Sessions().size() == 2; }, 20'000);
    windows_.KillTimer(window_, kTimer);
    internet_.Release();
    ASSERT_TRUE(RunUntilEnded());
    EXPECT_TRUE(done_);
    EXPECT_GE(clock_.TickCount() - stalledAt, 300'000u);
    EXPECT_EQ(internet_.Opened()[1].url, kUrl);
    engine_->FileArrived();
    EXPECT_EQ(engine_->Figures().bytesDone, 1000);
}

// A transfer asked for again after a stall says so when the second try fails; the first
// try's end, posted under a marker name given out again, is not taken for the second's.
TEST_F(DownloadEngineTest, AFailureAfterAStallSaysTheTransferWasAskedForAgain) {
    internet_.Script(kUrl, std::string(1000, 'w')).stallAfter = 100;
    engine_->SetStallSeconds(2);
    ASSERT_TRUE(engine_->StartDownload(kUrl, kProgram));
    ASSERT_TRUE(internet_.WaitForStall(std::chrono::seconds(5)));
    internet_.Script(kUrl).status = 404;
    windows_.SetTimer(window_, kTimer, 100);
    windows_.RunUntil([this] { return internet_.Sessions().size() == 2; }, 20'000);
    windows_.KillTimer(window_, kTimer);
    ASSERT_TRUE(RunUntilEnded());
    ASSERT_TRUE(failed_);
    EXPECT_EQ(failed_->cause, "HTTP 404 (asked for again after 2 s without data)");
}

}  // namespace
}  // namespace vexa::loader
