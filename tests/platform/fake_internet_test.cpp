#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <vector>

#include "platform/fake/fake_internet.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// The size of every read up to the end (0) or a failure (-1), each asking for `ask` bytes.
std::vector<long> ReadSizes(InternetResponse& response, std::size_t ask) {
    std::vector<long> sizes;
    std::vector<unsigned char> buffer(ask);
    for (;;) {
        std::optional<std::size_t> got = response.Read(buffer.data(), ask);
        sizes.push_back(got ? static_cast<long>(*got) : -1);
        if (!got || *got == 0) return sizes;
    }
}

TEST(FakeInternet, ReadsFollowTheScriptAndOnlyACompleteBodyIsCached) {
    testing::TempDir dir;
    FakeInternet internet;
    FakeInternet::Reply& inPieces = internet.Script("http://h/pieces.cab", std::string(120, 'x'));
    inPieces.announceLength = false;
    inPieces.pieces = {50, 1};
    internet.Script("http://h/fails.cab", std::string(120, 'x')).failAfter = 70;
    internet.Script("http://h/chosen.cab", "abc").cacheFile = dir / "chosen.cab";
    internet.Script("http://h/missing.cab").status = 404;
    auto session = internet.OpenSession("pieces.cab");

    auto pieces = session->OpenUrl("http://h/pieces.cab", "Accept: */*\r\n\r\n", false);
    ASSERT_NE(pieces, nullptr);
    EXPECT_EQ(pieces->ContentLength(), std::nullopt);
    EXPECT_EQ(ReadSizes(*pieces, 60), (std::vector<long>{50, 1, 60, 9, 0}));
    std::optional<std::string> kept = internet.CachedFile("http://h/pieces.cab");
    ASSERT_TRUE(kept);
    EXPECT_EQ(fs::path(*kept).filename(), "pieces.cab");
    EXPECT_EQ(testing::ReadFile(*kept), std::string(120, 'x'));

    auto fails = session->OpenUrl("http://h/fails.cab", "", true);
    ASSERT_NE(fails, nullptr);
    EXPECT_EQ(fails->ContentLength(), 120u);
    EXPECT_EQ(ReadSizes(*fails, 50), (std::vector<long>{50, 20, -1}));
    EXPECT_EQ(internet.CachedFile("http://h/fails.cab"), std::nullopt);

    auto chosen = session->OpenUrl("http://h/chosen.cab", "", false);
    ASSERT_NE(chosen, nullptr);
    ReadSizes(*chosen, 10);
    EXPECT_EQ(internet.CachedFile("http://h/chosen.cab"), dir / "chosen.cab");
    EXPECT_EQ(testing::ReadFile(dir / "chosen.cab"), "abc");

    EXPECT_EQ(session->OpenUrl("http://h/missing.cab", "", false), nullptr);
    EXPECT_EQ(session->OpenUrl("http://h/unscripted.cab", "", false), nullptr);
    std::vector<FakeInternet::OpenedUrl> opened = internet.Opened();
    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[0].headers, "Accept: */*\r\n\r\n");
    EXPECT_TRUE(opened[1].secure);
    EXPECT_EQ(opened[4].url, "http://h/unscripted.cab");
    EXPECT_EQ(internet.Sessions().at(0).agent, "pieces.cab");
}

TEST(FakeInternet, AStalledReadWaitsForTheCloseOrTheRelease) {
    FakeInternet internet;
    internet.Script("http://h/stall.cab", "0123456789").stallAfter = 4;
    for (bool close : {true, false}) {
        SCOPED_TRACE(close ? "closed" : "released");
        auto session = internet.OpenSession("stall.cab");
        auto response = session->OpenUrl("http://h/stall.cab", "", false);
        ASSERT_NE(response, nullptr);
        auto reads = std::async(std::launch::async, [&] { return ReadSizes(*response, 100); });
        ASSERT_TRUE(internet.WaitForStall(std::chrono::seconds(10)));
        if (close) {
            session->Close();
            EXPECT_EQ(reads.get(), (std::vector<long>{4, -1}));
            EXPECT_TRUE(internet.Sessions().back().closed);
        } else {
            internet.Release();
            EXPECT_EQ(reads.get(), (std::vector<long>{4, 6, 0}));
        }
    }
}

}  // namespace
}  // namespace vexa
