#include "cabcodec/expand_into.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Everything left in the folder, by relative name: no temporary file may stay behind.
std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

class ExpandIntoFolderTest : public ::testing::Test {
protected:
    void Cabinet(const std::string& bytes) { WriteFile(dir / "in.cab", bytes); }
    FolderExpansion Run(FolderExpansionCalls& calls, std::vector<std::string> entries = {}) {
        return ExpandIntoFolder(files, dir / "in.cab", out, entries, calls);
    }

    TempDir dir;
    Files& files = testing::SystemFiles();
    fs::path out = fs::path(dir / "out");
    FolderExpansionCalls replaceAll;
};

// A member whose data turns out damaged leaves the file it would have replaced as it
// was, and nothing of its own.
TEST_F(ExpandIntoFolderTest, AFailedMemberLeavesWhatItWouldReplace) {
    std::string cabinet = test::CabinetOf({{"a.txt", test::TextBytes(50'000, 1)}});
    cabinet[cabinet.size() - 100] ^= 0x10;
    Cabinet(cabinet);
    fs::create_directories(out);
    WriteFile((out / "a.txt").string(), "precious");

    FolderExpansion result = Run(replaceAll);
    EXPECT_FALSE(result.Done());
    EXPECT_EQ(ReadFile((out / "a.txt").string()), "precious");
    EXPECT_EQ(Listing(out), std::vector<std::string>{"a.txt"});
    EXPECT_NE(result.cause.find("a.txt"), std::string::npos) << result.cause;
}

// The reason names the member and what is wrong with it.
TEST_F(ExpandIntoFolderTest, AnUnsafeMemberIsNamed) {
    std::string cabinet = test::CabinetOf({{"good.txt", "1"}, {"xx\\x", "2"}});
    cabinet.replace(cabinet.find("xx\\x"), 4, "..\\x");
    Cabinet(cabinet);

    FolderExpansion result = Run(replaceAll);
    EXPECT_EQ(result.status, ExpandStatus::UnsafeName);
    EXPECT_EQ(result.cause, "unsafe name ..\\x");
    EXPECT_FALSE(fs::exists(dir.path() / "x"));
}

// A question answered with "all" is not asked again; "keep" keeps, "cancel" stops and
// creates nothing more.
TEST_F(ExpandIntoFolderTest, AnswersAboutExistingFiles) {
    Cabinet(test::CabinetOf({{"a", "new"}, {"b", "new"}, {"c", "new"}}));
    struct Scripted final : FolderExpansionCalls {
        std::vector<Existing> answers;
        std::vector<std::string> asked;
        Existing AskExisting(const fs::path& target) override {
            asked.push_back(target.filename().string());
            Existing answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        }
    };
    const struct {
        std::vector<Existing> answers;
        std::vector<std::string> asked;
        std::string a, b, c;
        bool cancelled;
    } cases[] = {
        {{Existing::ReplaceAll}, {"a"}, "new", "new", "new", false},
        {{Existing::Keep, Existing::Replace, Existing::Keep}, {"a", "b", "c"}, "old", "new", "old", false},
        {{Existing::Replace, Existing::Cancel}, {"a", "b"}, "new", "old", "old", true},
    };
    for (const auto& c : cases) {
        fs::create_directories(out);
        for (const char* name : {"a", "b", "c"}) WriteFile((out / name).string(), "old");
        Scripted calls;
        calls.answers = c.answers;
        FolderExpansion result = Run(calls);
        EXPECT_EQ(calls.asked, c.asked);
        EXPECT_EQ(ReadFile((out / "a").string()), c.a);
        EXPECT_EQ(ReadFile((out / "b").string()), c.b);
        EXPECT_EQ(ReadFile((out / "c").string()), c.c);
        EXPECT_EQ(result.cancelled, c.cancelled);
        EXPECT_EQ(Listing(out), (std::vector<std::string>{"a", "b", "c"}));
    }
}

// Members stored read-only are read-only once expanded; expanding them again replaces
// them, as the caller agreed to.
TEST_F(ExpandIntoFolderTest, AReadOnlyMemberIsReplacedWhenExpandedAgain) {
    Cabinet(test::CabinetOf({{"a.txt", "member", kAttributeReadOnly | kAttributeArchive}}));
    ASSERT_TRUE(Run(replaceAll).Done());
    ASSERT_EQ(files.Attributes((out / "a.txt").string()).value_or(0) & kAttributeReadOnly, kAttributeReadOnly);
    WriteFile(dir / "in.cab", test::CabinetOf({{"a.txt", "again", kAttributeReadOnly | kAttributeArchive}}));
    FolderExpansion again = Run(replaceAll);
    EXPECT_TRUE(again.Done()) << again.cause;
    EXPECT_EQ(ReadFile((out / "a.txt").string()), "again");
    EXPECT_EQ(Listing(out), std::vector<std::string>{"a.txt"});
}

#ifndef _WIN32
// A link in a member's place is replaced by the member, wherever it points; the file it
// points to is never written.
TEST_F(ExpandIntoFolderTest, ALinkInAMembersPlaceIsReplacedNotWrittenThrough) {
    Cabinet(test::CabinetOf({{"to-file.txt", "member"}, {"dangling.txt", "member"}}));
    fs::create_directories(out);
    WriteFile(dir / "outside.txt", "outside");
    fs::create_symlink(dir / "outside.txt", out / "to-file.txt");
    fs::create_symlink(dir / "nowhere.txt", out / "dangling.txt");

    ASSERT_TRUE(Run(replaceAll).Done());
    EXPECT_EQ(ReadFile(dir / "outside.txt"), "outside");
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
    for (const char* name : {"to-file.txt", "dangling.txt"}) {
        EXPECT_FALSE(fs::is_symlink(out / name)) << name;
        EXPECT_EQ(ReadFile((out / name).string()), "member") << name;
    }
}

// A folder on the way that is a link would lead out of the destination: the member fails.
TEST_F(ExpandIntoFolderTest, ALinkOnTheWayFailsTheMember) {
    Cabinet(test::CabinetOf({{"sub\\a.txt", "member"}}));
    fs::create_directories(out);
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", out / "sub");

    FolderExpansion result = Run(replaceAll);
    EXPECT_FALSE(result.Done());
    EXPECT_NE(result.cause.find("is a link"), std::string::npos) << result.cause;
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
}

// Expanded files are as readable as the folder they land in, not private like a
// temporary file.
TEST_F(ExpandIntoFolderTest, ExpandedFilesAreReadableAsTheirFolder) {
    Cabinet(test::CabinetOf({{"a.txt", "member"}}));
    fs::create_directories(out);
    fs::permissions(out, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    ASSERT_TRUE(Run(replaceAll).Done());
    EXPECT_NE(fs::status(out / "a.txt").permissions() & fs::perms::others_read, fs::perms::none);
}
#endif

}  // namespace
}  // namespace vexa::cab
