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
    std::string WriteSetup(const std::string& attachment) {
        const std::string path = dir / "setup.exe";
        WriteFile(path, std::string(kOffset, 'P') + attachment);
        return path;
    }

    TempDir dir;
    test::TempFolderFiles files{dir.path() / "temp"};
};

TEST_F(AttachmentTest, MakesANewExpansionDirectoryAndCopiesNothing) {
    AttachmentPlace place = ExtractAttachment(files, WriteSetup("MSCF"), kOffset);
    ASSERT_EQ(place.failure, "");
    EXPECT_EQ(fs::path(place.directory).parent_path().parent_path(), dir.path() / "temp");
    EXPECT_EQ(place.directory.back(), kNativeSeparator);
    EXPECT_TRUE(fs::path(place.directory).parent_path().filename().string().starts_with("~vx"));
    EXPECT_TRUE(fs::is_empty(place.directory));
    EXPECT_EQ(files.Left(), std::vector<std::string>{fs::path(place.directory).parent_path().string()});
}

TEST_F(AttachmentTest, FailuresSayWhyAndLeaveNothing) {
    const std::string bare = dir / "bare.exe";
    WriteFile(bare, std::string(kOffset, 'P'));
    const std::string missing = dir / "missing.exe";
    const std::pair<std::string, std::string> cases[] = {
        {bare, std::string(kOwnEmpty)},
        {missing, std::string(kCannotOpenOwn) + missing},
    };
    for (const auto& [own, message] : cases) {
        AttachmentPlace place = ExtractAttachment(files, own, kOffset);
        EXPECT_EQ(place.failure, message) << own;
        EXPECT_EQ(place.directory, "") << own;
        EXPECT_EQ(files.Left(), std::vector<std::string>{}) << own;
    }
}

// The members are read where the attachment stands, past the program and beyond the
// first megabyte of it.
TEST_F(AttachmentTest, MembersAreTakenFromTheAttachmentInPlace) {
    const std::string big = vexa::test::RandomBytes(2'345'678, 3);
    const std::string setup = WriteSetup(vexa::test::MakeCabinet({{"big.bin", big}, {"Script.TXT", "S"}}));
    const std::string out = (dir.path() / "out").string() + kNativeSeparator;
    std::vector<std::string> extracted;
    ASSERT_TRUE(ExtractFromCabinet(files, {setup, kOffset}, out, "Script.TXT", extracted));
    ASSERT_TRUE(ExtractFromCabinet(files, {setup, kOffset}, out, "BIG.BIN", extracted));
    EXPECT_EQ(ReadFile(out + "Script.TXT"), "S");
    EXPECT_TRUE(ReadFile(out + "big.bin") == big);
    EXPECT_FALSE(ExtractFromCabinet(files, {setup, kOffset - 1}, out, "Script.TXT", extracted));

    files.shortReadsFrom = kOffset + 1'200'000;
    EXPECT_FALSE(ExtractFromCabinet(files, {setup, kOffset}, out, "BIG.BIN", extracted));
}

class FromCabinetTest : public AttachmentTest {
protected:
    void SetUp() override {
        fs::create_directories(out);
        cabinet = dir / "attached.cab";
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
