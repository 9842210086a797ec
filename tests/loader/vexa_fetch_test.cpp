// `vexa fetch` and `vexa cache` as their users meet them: processes with exit codes and
// lines of output, against the fault-injecting server and the test program's own prefix.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/fault_http_server.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

const test::FaultHttpServer& Server() { return test::FaultHttpServer::Get(); }

TEST(VexaFetch, CopiesTheFileUnderTheUrlsNameOrSaysWhyNot) {
    TempDir dir;
    ASSERT_TRUE(Server().Running());
    Outcome fetched = Vexa({"fetch", Server().Url("/file/5000/one/setup.cab"), dir.path().string()});
    ASSERT_EQ(fetched.status, 0) << fetched.output;
    std::string bytes = ReadFile(dir / "setup.cab");
    ASSERT_EQ(bytes.size(), 5000u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[4999]), test::FaultHttpServer::PatternByte(4999));

    std::string missing = Server().Url("/status/404/gone.cab");
    Outcome failed = Vexa({"fetch", missing, dir.path().string()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(Says(failed, "Download Error! Make sure you are connected to the Internet. Cannot download file: " +
                                 missing + "\ncause: HTTP 404\n"))
        << failed.output;
    EXPECT_FALSE(fs::exists(dir / "gone.cab"));

    WriteFile(dir / "local.cab", "local bytes");
    fs::create_directories(dir / "copies");
    ASSERT_EQ(Vexa({"fetch", "file://" + (dir / "local.cab"), dir / "copies"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "copies/local.cab"), "local bytes");

    EXPECT_EQ(Vexa({"fetch", Server().Url("/file/10/x.cab"), dir / "no such folder"}).status, 2);
    EXPECT_EQ(Vexa({"fetch", Server().Url("/file/10/"), dir.path().string()}).status, 2);
    // URLs the loader cannot fetch at all are bad input, not failed downloads.
    const std::string overlong = "http://127.0.0.1/" + std::string(300, 'p');
    for (const std::string& url : {std::string("ftp://127.0.0.1/x.cab"), std::string("x.cab"), overlong}) {
        Outcome refused = Vexa({"fetch", url, dir.path().string()});
        EXPECT_EQ(refused.status, 2) << url;
        EXPECT_TRUE(Says(refused, "vexa: " + url + ": ")) << refused.output;
    }
}

// The file is put beside its place and renamed in, whether it is copied or linked from the
// Internet cache: what may not be replaced (a folder, a read-only file) stays as it was, and
// nothing of the fetch is left beside it.
TEST(VexaFetch, ReplacesOnlyWhatMayBeReplaced) {
    TempDir dir;
    ASSERT_TRUE(Server().Running());
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "copies/folder.cab");
    for (const char* name : {"folder.cab", "older.cab"}) WriteFile(dir / ("src/" + std::string(name)), "new bytes");
    WriteFile(dir / "copies/older.cab", "older");
    WriteFile(dir / "copies/locked.cab", "older");
    fs::permissions(dir / "copies/locked.cab", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    EXPECT_EQ(Vexa({"fetch", "file://" + (dir / "src/older.cab"), dir / "copies"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "copies/older.cab"), "new bytes");
    EXPECT_EQ(Vexa({"fetch", "file://" + (dir / "src/folder.cab"), dir / "copies"}).status, 2);
    EXPECT_EQ(Vexa({"fetch", Server().Url("/file/10/locked.cab"), dir / "copies"}).status, 2);
    EXPECT_TRUE(fs::is_empty(dir / "copies/folder.cab"));
    EXPECT_EQ(ReadFile(dir / "copies/locked.cab"), "older");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "copies"), fs::directory_iterator()), 3);
}

TEST(VexaCache, ListsHousekeepsAndClearsThePrefixsCache) {
    fs::path root = fs::path(std::getenv("VEXA_PREFIX")) / "windows" / "Temporary VexaWeb Files";
    fs::create_directories(root / "Temp" / "~pr77");
    fs::create_directories(root / "Downloaded Programs");
    WriteFile((root / "Downloaded Programs" / "1234-5678.CAB").string(), "cabinet");

    Outcome list = Vexa({"cache", "list"});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_TRUE(Says(list, "WebDirSize: 7 bytes")) << list.output;
    EXPECT_TRUE(Says(list, "~pr77  (product directory of a run)")) << list.output;
    EXPECT_TRUE(Says(list, "1234-5678.CAB  (7 bytes)")) << list.output;

    Outcome housekeep = Vexa({"cache", "housekeep"});
    EXPECT_TRUE(Says(housekeep, "removed ")) << housekeep.output;
    EXPECT_FALSE(fs::exists(root / "Temp" / "~pr77"));
    EXPECT_TRUE(fs::exists(root / "Downloaded Programs" / "1234-5678.CAB"));

    EXPECT_TRUE(Says(Vexa({"cache", "clear"}), "1234-5678.CAB"));
    EXPECT_FALSE(fs::exists(root / "Downloaded Programs" / "1234-5678.CAB"));
    EXPECT_TRUE(Says(Vexa({"cache", "clear"}), "nothing to remove"));
}

}  // namespace
}  // namespace vexa::testing
