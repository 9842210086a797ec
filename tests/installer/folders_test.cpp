#include "installer/folders.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/format_path.hpp"
#include "tests/installer/temp_folder_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using vexa::testing::ReadFile;
using vexa::testing::TempDir;
using vexa::testing::WriteFile;

constexpr char S = kNativeSeparator;

// Every placeholder file gets the same name, so the test knows which directories are taken.
class FixedPlaceholder final : public vexa::testing::ForwardingFiles {
public:
    explicit FixedPlaceholder(std::string placeholder)
        : ForwardingFiles(vexa::testing::SystemFiles()), placeholder_(std::move(placeholder)) {}
    std::set<std::string> unusable;  // folders where no file can be made

    std::optional<std::string> CreateTempFile(const std::string&) override {
        WriteFile(placeholder_, "");
        return placeholder_;
    }
    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override {
        if (unusable.contains(folder)) return std::nullopt;
        return real_.CreateTempFileIn(folder, prefix);
    }

private:
    std::string placeholder_;
};

TEST(ExpansionDirectory, NamedAfterThePlaceholderWithNumbersWhenTaken) {
    TempDir dir;
    test::TempFolderFiles real(dir.path() / "temp");
    const std::string made = MakeExpansionDirectory(real);
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(made.back(), S);
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_TRUE(fs::path(made).parent_path().filename().string().starts_with("~vx"));
    EXPECT_EQ(real.Left().size(), 1u);  // the placeholder file is gone

    FixedPlaceholder files(dir / "~vxAB.tmp");
    fs::create_directory(dir / "~vxAB");
    fs::create_directory(dir / "~vxAB1");
    EXPECT_EQ(MakeExpansionDirectory(files), (dir / "~vxAB2") + S);
    EXPECT_FALSE(fs::exists(dir / "~vxAB.tmp"));

    for (int n = 3; n <= 300; ++n) fs::create_directory(dir / ("~vxAB" + std::to_string(n)));
    EXPECT_EQ(MakeExpansionDirectory(files), "");
    EXPECT_FALSE(fs::exists(dir / "~vxAB.tmp"));
}

TEST(CreateDirectoryPath, MakesEveryLevelAndStopsAtTheFirstThatCannotBe) {
    TempDir dir;
    FixedPlaceholder files(dir / "unused.tmp");
    const std::string deep = dir / ("a" + std::string(1, S) + "b" + S + "c" + S);
    EXPECT_TRUE(CreateDirectoryPath(files, deep));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(CreateDirectoryPath(files, deep));  // standing levels are left alone

    // A standing level that takes no files is passed over; the level below it decides.
    files.unusable.insert(dir / "a");
    EXPECT_TRUE(CreateDirectoryPath(files, dir / ("a" + std::string(1, S) + "new")));
    EXPECT_TRUE(fs::is_directory(dir / ("a" + std::string(1, S) + "new")));

    WriteFile(dir / "file", "keep");
    EXPECT_FALSE(CreateDirectoryPath(files, dir / ("file" + std::string(1, S) + "below")));
    EXPECT_EQ(ReadFile(dir / "file"), "keep");
}

TEST(RemoveTempDirectory, RemovesOnlyOurDirectoriesInTheTemporaryFolder) {
    TempDir dir;
    test::TempFolderFiles files(dir.path() / "temp");
    const std::string temp = (dir.path() / "temp").string();
    const std::string ours = temp + S + "~vx12" + S;
    fs::create_directories(ours + "sub");
    WriteFile(ours + "sub" + S + "ro.txt", "x");
    fs::permissions(ours + "sub" + S + "ro.txt", fs::perms::owner_read);

    const std::string outside = dir / "~vx34";
    const std::string notOurs = temp + S + "keep";
    const std::string beside = dir / "precious";
    for (const std::string& folder : {outside, notOurs, beside}) {
        fs::create_directories(folder);
        WriteFile(folder + S + "f.txt", "f");
    }
    const std::string climbs = temp + S + "~vx12" + S + ".." + S + ".." + S + "precious" + S;
    RemoveTempDirectory(files.shell, climbs);
    RemoveTempDirectory(files.shell, outside + S);
    RemoveTempDirectory(files.shell, notOurs + S);
    for (const std::string& folder : {outside, notOurs, beside}) EXPECT_TRUE(fs::exists(folder + S + "f.txt")) << folder;

    // A link of our name is removed, not what it points to (where the system makes links).
    const std::string link = temp + S + "~vxlink";
    std::error_code noLinks;
    fs::create_directory_symlink(beside, link, noLinks);
    if (!noLinks) {
        RemoveTempDirectory(files.shell, link + S);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
        EXPECT_TRUE(fs::exists(beside + S + "f.txt"));
    }

    RemoveTempDirectory(files.shell, ours);
    EXPECT_FALSE(fs::exists(ours));

    FakeShell noTemp;
    fs::create_directories(ours);
    RemoveTempDirectory(noTemp, ours);
    EXPECT_TRUE(fs::exists(ours));
}

}  // namespace
}  // namespace vexa::installer
