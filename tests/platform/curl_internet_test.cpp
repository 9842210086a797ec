#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/posix/curl_internet.hpp"
#include "platform/posix/posix_files.hpp"
#include "platform/posix/url_cache.hpp"
#include "tests/support/fault_http_server.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// Reads a response to its end or its first failure; true at a complete end.
bool Drain(InternetSession& session, const std::string& url) {
    auto response = session.OpenUrl(url, "", false);
    if (!response) return false;
    unsigned char buffer[65536];
    for (;;) {
        std::optional<std::size_t> got = response->Read(buffer, sizeof buffer);
        if (!got || *got == 0) return got.has_value();
    }
}

// Every file in the cache folder, relative to it.
std::set<std::string> CacheFiles(const fs::path& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), folder).string());
    return files;
}

TEST(CurlInternet, EntriesKeepTheUrlsNameAndExtensionAndNothingHalfWrittenStays) {
    const auto& server = test::FaultHttpServer::Get();
    ASSERT_TRUE(server.Running());
    testing::TempDir cache;
    CurlInternet internet(cache.path());
    auto session = internet.OpenSession("setup.cab");
    const std::string first = server.Url("/file/1000/a/setup.cab?v=1");
    const std::string second = server.Url("/file/2000/b/setup.cab");
    const std::string empty = server.Url("/file/0/c/empty.cab");
    ASSERT_TRUE(Drain(*session, first));
    ASSERT_TRUE(Drain(*session, second));
    ASSERT_TRUE(Drain(*session, empty));
    EXPECT_FALSE(Drain(*session, server.Url("/drop/100000/d/setup.cab")));
    EXPECT_FALSE(Drain(*session, server.Url("/short/10/20/e/setup.cab")));
    // A response dropped before its end leaves nothing either.
    session->OpenUrl(server.Url("/file/100000/f/setup.cab"), "", false).reset();

    std::optional<std::string> firstEntry = internet.CachedFile(first);
    std::optional<std::string> secondEntry = internet.CachedFile(second);
    std::optional<std::string> emptyEntry = internet.CachedFile(empty);
    ASSERT_TRUE(firstEntry && secondEntry && emptyEntry);
    // The URL's name and extension, told apart from other URLs' by the hash between them.
    std::string name = fs::path(*firstEntry).filename().string();
    EXPECT_TRUE(name.starts_with("setup[") && name.ends_with("].cab")) << name;
    EXPECT_EQ(fs::file_size(*firstEntry), 1000u);
    EXPECT_EQ(fs::file_size(*secondEntry), 2000u);
    EXPECT_EQ(fs::file_size(*emptyEntry), 0u);
    std::set<std::string> entries;
    for (const std::string& entry : {*firstEntry, *secondEntry, *emptyEntry})
        entries.insert(fs::relative(entry, cache.path()).string());
    EXPECT_EQ(CacheFiles(cache.path()), entries);
}

// Housekeeping tells a body being written from one a dead transfer left by the writer's hold.
TEST(UrlCache, ABodyOnItsWayInIsHeldAndListedApartFromEntries) {
    testing::TempDir folder;
    testing::WriteFile(folder / "notes.txt", "not the cache's");
    testing::WriteFile(folder / "odd[xyz].cab", "not an entry's name");
    UrlCache cache(folder.path());
    const std::string url = "http://host/dl/setup.cab";
    auto writer = cache.Begin(url);
    ASSERT_NE(writer, nullptr);
    std::vector<UrlCacheFile> files = cache.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].partial);
    PosixFiles posix;
    EXPECT_FALSE(posix.DeleteUnlessHeld(files[0].path.string()));
    EXPECT_TRUE(fs::exists(files[0].path));

    const unsigned char body[] = {1, 2, 3};
    ASSERT_TRUE(writer->Append(body, sizeof body));
    ASSERT_TRUE(writer->Commit());
    files = cache.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_FALSE(files[0].partial);
    EXPECT_EQ(cache.Find(url), files[0].path.string());
}

}  // namespace
}  // namespace vexa
