// `vexa cab` and `vexa call` as their users meet them: processes with exit codes, answers
// on standard input and lines on standard output.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

// Whether `vexa cab list` printed these names, one a line at its end, in this order.
bool ListsInOrder(const std::string& listing, const std::vector<std::string>& names) {
    std::istringstream lines(listing);
    std::size_t i = 0;
    for (std::string line; std::getline(lines, line); ++i) {
        if (i == names.size() || !line.ends_with(names[i])) return false;
    }
    return i == names.size();
}

class VexaCab : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "src/sub/deeper");
        WriteFile(dir_ / "src/a.txt", "alpha");
        WriteFile(dir_ / "src/sub/b.bin", test::RandomBytes(200'000, 1));
        WriteFile(dir_ / "src/sub/deeper/c d.txt", test::TextBytes(50'000, 2));
    }

    TempDir dir_;
    std::string cab_ = dir_ / "out.cab";
};

TEST_F(VexaCab, MakeListAndExpandRoundTripATree) {
    Outcome make = Vexa({"cab", "make", cab_, "--from-dir", dir_ / "src", "--reserve", "6144"});
    ASSERT_EQ(make.status, 0) << make.output;
    EXPECT_NE(make.output.find("250005 bytes in"), std::string::npos) << make.output;

    Outcome list = Vexa({"cab", "list", cab_});
    ASSERT_EQ(list.status, 0);
    for (const char* name : {"a.txt\n", "sub\\b.bin\n", "sub\\deeper\\c d.txt\n"})
        EXPECT_NE(list.output.find(name), std::string::npos) << list.output;

    Outcome expand = Vexa({"cab", "expand", cab_, dir_ / "out"});
    ASSERT_EQ(expand.status, 0) << expand.output;
    EXPECT_NE(expand.output.find("3 files expanded"), std::string::npos);
    for (const char* name : {"a.txt", "sub/b.bin", "sub/deeper/c d.txt"})
        EXPECT_EQ(ReadFile(dir_ / ("out/" + std::string(name))), ReadFile(dir_ / ("src/" + std::string(name)))) << name;
}

TEST_F(VexaCab, ExistingFilesAreKeptOverwrittenOrAskedAbout) {
    ASSERT_EQ(Vexa({"cab", "make", cab_, dir_ / "src/a.txt", (dir_ / "src/sub/b.bin") + "=x\\b.bin"}).status, 0);
    auto placeOld = [&] {
        fs::create_directories(dir_ / "out/x");
        WriteFile(dir_ / "out/a.txt", "old");
        WriteFile(dir_ / "out/x/b.bin", "old");
    };
    placeOld();
    EXPECT_EQ(Vexa({"cab", "expand", cab_, dir_ / "out", "--overwrite", "none"}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "old");

    Outcome asked = Vexa({"cab", "expand", cab_, dir_ / "out"}, "n\ny\n");
    EXPECT_EQ(asked.status, 0) << asked.output;
    EXPECT_NE(asked.output.find("overwrite " + (dir_ / "out") + "/a.txt?"), std::string::npos) << asked.output;
    EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "old");
    EXPECT_EQ(ReadFile(dir_ / "out/x/b.bin"), ReadFile(dir_ / "src/sub/b.bin"));

    placeOld();
    Outcome cancelled = Vexa({"cab", "expand", cab_, dir_ / "out"}, "c\n");
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_NE(cancelled.output.find("0 files expanded, then cancelled"), std::string::npos) << cancelled.output;

    EXPECT_EQ(Vexa({"cab", "expand", cab_, dir_ / "out", "--overwrite", "all"}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "alpha");
}

// Each member with its size and stored time; a cabinet whose member would land outside
// the destination names that member, for listing and expansion alike.
TEST_F(VexaCab, ListShowsSizesAndTimesAndNamesAnUnsafeMember) {
    ASSERT_EQ(Vexa({"cab", "make", cab_, dir_ / "src/a.txt"}).status, 0);
    Outcome list = Vexa({"cab", "list", cab_});
    ASSERT_EQ(list.status, 0);
    EXPECT_TRUE(std::regex_search(list.output, std::regex(R"(^ +5  \d{4}-\d\d-\d\d \d\d:\d\d:\d\d  a\.txt\n$)")))
        << list.output;

    std::string hostile = test::CabinetOf({{"good.txt", "1"}, {"xx\\x", "2"}});
    hostile.replace(hostile.find("xx\\x"), 4, "..\\x");
    WriteFile(dir_ / "hostile.cab", hostile);
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"cab", "list", dir_ / "hostile.cab"},
                                                      {"cab", "expand", dir_ / "hostile.cab", dir_ / "out"}}) {
        Outcome run = Vexa(arguments);
        EXPECT_EQ(run.status, 2) << arguments[1];
        EXPECT_NE(run.output.find("hostile.cab: unsafe name ..\\x"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(dir_ / "x"));
}

// The message says what failed and, on the next line, why.
TEST_F(VexaCab, FailedJobsSayWhy) {
    std::string damaged = test::CabinetOf({{"a.txt", test::TextBytes(50'000, 1)}});
    damaged[damaged.size() - 100] ^= 0x10;
    WriteFile(dir_ / "damaged.cab", damaged);
    Outcome expand = Vexa({"cab", "expand", dir_ / "damaged.cab", dir_ / "out"});
    EXPECT_EQ(expand.status, 1);
    EXPECT_NE(expand.output.find("failed\n  checksum error in a.txt"), std::string::npos) << expand.output;
    EXPECT_FALSE(fs::exists(dir_ / "out/a.txt"));

    Outcome make = Vexa({"cab", "make", cab_, (dir_ / "src/a.txt") + "=..\\a.txt"});
    EXPECT_EQ(make.status, 1);
    EXPECT_NE(make.output.find("could not be made\n  the name \"..\\a.txt\" is empty, too long or leaves"),
              std::string::npos)
        << make.output;
    EXPECT_FALSE(fs::exists(cab_));
}

TEST_F(VexaCab, BadInputIsNamedAndExitsWithTwo) {
    WriteFile(dir_ / "text.cab", "no cabinet");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"cab", "make", cab_, dir_ / "missing.txt"}, "missing.txt: no such file"},
        {{"cab", "make", cab_}, "no files to put in the cabinet"},
        {{"cab", "make", cab_, dir_ / "src/a.txt", "--reserve", "70000"}, "--reserve"},
        {{"cab", "make", cab_, "--from-dir", dir_ / "src/a.txt"}, "not a directory"},
        {{"cab", "list", dir_ / "text.cab"}, "text.cab: not a cabinet"},
        {{"cab", "list", dir_ / "none.cab"}, "none.cab: no such file"},
        {{"cab", "expand", dir_ / "text.cab", dir_ / "out"}, "not a cabinet"},
        {{"cab", "expand", cab_, dir_ / "out", "--overwrite", "some"}, "--overwrite"},
        {{"cab", "split", dir_ / "src/a.txt", "1"}, "Number of splits must be 2 or larger."},
        {{"cab", "join", dir_ / "joined", "2"}, "joined1: cannot be read"},
        {{"cab", "make", dir_ / "src", dir_ / "src/a.txt"}, "src: is a directory"},
    };
    for (const auto& c : cases) {
        Outcome run = Vexa(c.arguments);
        EXPECT_EQ(run.status, 2) << c.message << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    EXPECT_FALSE(fs::exists(cab_));
}

// An output that is also an input would be destroyed: the commands refuse it by what the
// paths name, whatever their spelling or the links between them.
TEST_F(VexaCab, NoCommandWritesOverItsInput) {
    ASSERT_EQ(Vexa({"cab", "make", cab_, dir_ / "src/a.txt"}).status, 0);
    const std::string made = ReadFile(cab_);
    fs::create_hard_link(cab_, dir_ / "linked.exe");
    fs::create_directory(dir_ / "folder");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"cab", "sfx", cab_, cab_}, "is the cabinet itself"},
        {{"cab", "sfx", cab_, dir_ / "linked.exe"}, "is the cabinet itself"},
        {{"cab", "sfx", cab_, dir_ / "folder"}, "folder: is a directory"},
        {{"cab", "make", cab_, (dir_ / "src/..") + "/out.cab"}, "is the cabinet being made"},
        {{"cab", "make", dir_ / "linked.exe", cab_ + "=x.cab", dir_ / "src/a.txt"}, "is the cabinet being made"},
        {{"cab", "make", dir_ / "folder", dir_ / "src/a.txt"}, "folder: is a directory"},
    };
    for (const auto& c : cases) {
        Outcome run = Vexa(c.arguments);
        EXPECT_EQ(run.status, 2) << c.message << "\n" << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_EQ(ReadFile(cab_), made) << c.message;
    }
    EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

// A cabinet made again from the folder that holds it leaves its older self out, and says so.
TEST_F(VexaCab, MakeFromTheFolderThatHoldsTheCabinetLeavesItOut) {
    const std::string inside = dir_ / "src/inside.cab";
    for (int run = 0; run < 2; ++run) {
        Outcome make = Vexa({"cab", "make", inside, "--from-dir", dir_ / "src"});
        ASSERT_EQ(make.status, 0) << make.output;
        EXPECT_EQ(make.output.find("inside.cab: left out") != std::string::npos, run == 1) << make.output;
        Outcome list = Vexa({"cab", "list", inside});
        EXPECT_TRUE(ListsInOrder(list.output, {"a.txt", "sub\\b.bin", "sub\\deeper\\c d.txt"})) << list.output;
    }
}

// Only the regular files inside the folder go in, in the order of their names' bytes, a
// folder's files before its folders; links and special files are named and left out.
TEST_F(VexaCab, MakeFromDirTakesRegularFilesInsideInNameOrder) {
    WriteFile(dir_ / "outside.txt", "not in the tree");
    fs::create_directories(dir_ / "elsewhere");
    WriteFile(dir_ / "elsewhere/far.txt", "far");
    for (const char* name : {"src/B.txt", "src/sub/a.txt", "src/sub/deeper/Z.txt", "src/\xc3\xa9.txt", "src/a-b.txt"})
        WriteFile(dir_ / name, name);
    fs::create_symlink(dir_ / "outside.txt", dir_ / "src/link.txt");
    fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "src/linked folder");
    ASSERT_EQ(::mkfifo((dir_ / "src/pipe").c_str(), 0600), 0);

    Outcome make = Vexa({"cab", "make", cab_, "--from-dir", dir_ / "src"});
    ASSERT_EQ(make.status, 0) << make.output;
    for (const char* left : {"src/link.txt: left out, a link", "src/linked folder: left out, a link",
                             "src/pipe: left out, not a regular file"})
        EXPECT_NE(make.output.find(left), std::string::npos) << left << "\n" << make.output;
    Outcome list = Vexa({"cab", "list", cab_});
    EXPECT_TRUE(ListsInOrder(list.output, {"B.txt", "a-b.txt", "a.txt", "\xc3\xa9.txt", "sub\\a.txt", "sub\\b.bin",
                                           "sub\\deeper\\Z.txt", "sub\\deeper\\c d.txt"}))
        << list.output;
}

TEST_F(VexaCab, CallPrintsTheResultAndTheEventsRaised) {
    // A cabinet of no files cannot be made: the job fails.
    Outcome made = Vexa({"call", "vexacb.vexacbctrl.1", "MakeCabFile", dir_ / "empty.cab", "0"});
    EXPECT_EQ(made.status, 1);
    EXPECT_EQ(made.output, "true\nMakeCabError(\"" + (dir_ / "empty.cab") + "\")\n");

    EXPECT_EQ(Vexa({"call", "VEXACB.VexaCBCtrl.1", "Filename2FilenameNoExt", "archive.tar.gz"}).output,
              "archive.tar\n");
    EXPECT_EQ(Vexa({"call", "VEXACB.VexaCBCtrl.1", "OverwriteExistingFile", "-1"}).status, 0);
    Outcome listed = Vexa({"call", "VEXACB.VexaCBCtrl.1", "--list"});
    EXPECT_NE(
        listed.output.find("bool SelectFiles(string Filter, bool RecurseSubdirectories, long MaxNumSubDirectories)"),
        std::string::npos);
    EXPECT_NE(listed.output.find("ExpandCabDone(string CabFilename"), std::string::npos);

    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"call", "NO.Such.1", "X"},
                                               {"call", "VEXACB.VexaCBCtrl.1", "NoSuchMethod"},
                                               {"call", "VEXACB.VexaCBCtrl.1", "GetSelectedFile"},
                                               {"call", "VEXACB.VexaCBCtrl.1", "GetSelectedFile", "first"}}) {
        EXPECT_EQ(Vexa(bad).status, 2) << bad[2];
    }
}

TEST_F(VexaCab, CallRunsSeveralCallsOnOneControlEachToItsEvents) {
    WriteFile(dir_ / "a.txt", "alpha");
    ASSERT_EQ(Vexa({"cab", "make", cab_, dir_ / "a.txt"}).status, 0);
    Outcome expanded =
        Vexa({"call", "VEXACB.VexaCBCtrl.1", "OpenCabForExpansion", cab_, "--", "ExpandCabFile", dir_ / "out"});
    EXPECT_EQ(expanded.status, 0) << expanded.output;
    EXPECT_NE(expanded.output.find("ExpandCabDone("), std::string::npos) << expanded.output;
    EXPECT_EQ(ReadFile(dir_ / "out/a.txt"), "alpha");

    Outcome lines = Vexa({"call", "VEXADNLD.VexaDnldCtrl.1", "TextToLines", "a,b,", ",", "--", "GetTextFileLine", "1"});
    EXPECT_EQ(lines.output, "3\nb\n");

    // Every call is checked before the first is made.
    Outcome refused = Vexa({"call", "VEXACB.VexaCBCtrl.1", "MakeCabFile", dir_ / "never.cab", "0", "--", "NoSuch"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_FALSE(fs::exists(dir_ / "never.cab"));
    EXPECT_EQ(Vexa({"call", "VEXACB.VexaCBCtrl.1", "IsFile", "x", "--"}).status, 2) << "a call after every \"--\"";
}

}  // namespace
}  // namespace vexa::testing
