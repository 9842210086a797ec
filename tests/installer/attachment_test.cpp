#include "installer/attachment.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/format_path.hpp"
#include "installer/installer_texts.hpp"
#include "tests/installer/temp_folder_files.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::uint64_t kOffset = 4096;

class AttachmentTest : public ::testing::Test {
protected:
    std::string Setup(const std::string& attachment) {
        const std::string path = dir / "setup.exe";
        WriteFile(path, std::string(kOffset, 'P') + attachment);
        return path;
    }

    TempDir dir;
    test::TempFolderFiles files{dir.path() / "temp"};
};

// Beyond one chunk, so the copy takes two full chunks and a shorter last one.
TEST_F(AttachmentTest, CopiesTheTailByteForByteIntoANewExpansionDirectory) {
    const std::string attachment = vexa::test::RandomBytes(2'345'678, 3);
    AttachmentCopy copy = ExtractAttachment(files, files.shell, Setup(attachment), kOffset);
    ASSERT_EQ(copy.failure, "");
    EXPECT_EQ(fs::path(copy.directory).parent_path().parent_path(), dir.path() / "temp");
    EXPECT_EQ(copy.directory.back(), kNativeSeparator);
    EXPECT_TRUE(fs::path(copy.directory).parent_path().filename().string().starts_with("~vx"));
    EXPECT_TRUE(ReadFile(copy.directory + "Attachment.CAB") == attachment);
    EXPECT_EQ(files.Left(), std::vector<std::string>{fs::path(copy.directory).parent_path().string()});
}

TEST_F(AttachmentTest, FailuresSayWhyAndLeaveNothing) {
    const std::string setup = Setup(vexa::test::RandomBytes(1'500'000, 4));
    const std::string bare = dir / "bare.exe";
    WriteFile(bare, std::string(kOffset, 'P'));
    const std::string missing = dir / "missing.exe";
    struct Case {
        const char* label;
        std::string own;
        std::string message;
        std::optional<std::uint64_t> shortReadsFrom;
    };
    const Case cases[] = {
        {"exactly the offset", bare, std::string(kOwnEmpty), {}},
        {"own file missing", missing, std::string(kCannotOpenOwn) + missing, {}},
        {"read cut in the second chunk", setup, std::string(kCannotReadAttachment), kOffset + 1'200'000},
    };
    for (const Case& c : cases) {
        files.shortReadsFrom = c.shortReadsFrom;
        AttachmentCopy copy = ExtractAttachment(files, files.shell, c.own, kOffset);
        EXPECT_EQ(copy.failure, c.message) << c.label;
        EXPECT_EQ(copy.directory, "") << c.label;
        EXPECT_EQ(files.Left(), std::vector<std::string>{}) << c.label;
    }
}

class FromCabinetTest : public AttachmentTest {
protected:
    void SetUp() override {
        fs::create_directories(out);
        cabinet = dir / "Attachment.CAB";
    }
    void Cabinet(const std::vector<vexa::test::FileSpec>& members) {
        WriteFile(cabinet, vexa::test::MakeCabinet(members));
    }

    std::string out = (dir.path() / "out").string() + kNativeSeparator;
    std::string cabinet;
    std::vector<std::string> extracted;
};

TEST_F(FromCabinetTest, TheWantedNameIsMatchedAtTheEndOfTheOutputPathInAnyCase) {
    Cabinet({{"Uninstall.exe", "U"}, {"x\\Script.txt", "S"}, {"other.txt", "O"}});
    ASSERT_TRUE(ExtractFromCabinet(files, cabinet, out, "Script.TXT", extracted));
    const std::string script = out + "x" + kNativeSeparator + "Script.txt";
    EXPECT_EQ(extracted, std::vector<std::string>{script});
    EXPECT_EQ(ReadFile(script), "S");
    EXPECT_FALSE(fs::exists(out + "other.txt"));
    EXPECT_FALSE(fs::exists(out + "Uninstall.exe"));

    ASSERT_TRUE(ExtractFromCabinet(files, cabinet, out, "Uninstall.EXE", extracted));
    EXPECT_EQ(extracted.back(), out + "Uninstall.exe");
    EXPECT_FALSE(ExtractFromCabinet(files, cabinet, out, "Missing.TXT", extracted));
    EXPECT_EQ(extracted.size(), 2u);
}

TEST_F(FromCabinetTest, NoWantedNameTakesEveryMemberWithItsFolders) {
    Cabinet({{"a.txt", "A"}, {"bin\\sub\\b.dll", "B"}});
    ASSERT_TRUE(ExtractFromCabinet(files, cabinet, out, "", extracted));
    EXPECT_EQ(extracted.size(), 2u);
    EXPECT_EQ(ReadFile(out + "a.txt"), "A");
    EXPECT_EQ(ReadFile((fs::path(out) / "bin" / "sub" / "b.dll").string()), "B");
}

TEST_F(FromCabinetTest, HostileOrBrokenCabinetsFail) {
    std::string hostile = vexa::test::MakeCabinet({{"Script.TXT", "S"}, {"xx\\Script.TXT", "evil"}});
    hostile.replace(hostile.find("xx\\Script"), 2, "..");
    WriteFile(cabinet, hostile);
    EXPECT_FALSE(ExtractFromCabinet(files, cabinet, out, "Script.TXT", extracted));
    EXPECT_FALSE(ExtractFromCabinet(files, cabinet, out, "", extracted));
    EXPECT_FALSE(fs::exists(dir.path() / "Script.TXT"));
    EXPECT_TRUE(extracted.empty());

    WriteFile(cabinet, "not a cabinet");
    EXPECT_FALSE(ExtractFromCabinet(files, cabinet, out, "", extracted));
    EXPECT_FALSE(ExtractFromCabinet(files, dir / "missing.cab", out, "", extracted));
}

}  // namespace
}  // namespace vexa::installer
