#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/format_path.hpp"
#include "installer/program_groups.hpp"
#include "platform/fake/fake_shell.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using testing::SystemFiles;
using testing::TempDir;

constexpr char kSep = kNativeSeparator;

struct Groups : ::testing::Test {
    TempDir dir;
    FakeShell shell;
    std::string group = dir / "Programs" + kSep + "Acme" + kSep;
    std::string install = dir / "Acme" + kSep;
    std::vector<std::string> installed;

    void Run(const ScriptLines& lines) {
        CreateProgramGroups(SystemFiles(), shell, lines, group, install, installed);
    }
};

TEST_F(Groups, EachGoodLineMakesItsShortcutWhateverFailsBesideIt) {
    Run({
        "CreateProgramGroup \"<ProductProgramGroup>\", \"Acme\", \"<ProductDirectory>acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\", \"Bad:Name\", \"<ProductDirectory>acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\", \"\", \"<ProductDirectory>acme.exe\"",
        "createprogramgroup \"<productprogramgroup>\\Tools\\More\", \"Help\", \"<PRODUCTDIRECTORY>\\doc\\help.htm\"",
        "CreateProgramGroup \"Tools\", \"No group\", \"<ProductDirectory>acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\", \"No directory\", \"C:\\acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\\..\\Other\", \"Climbs\", \"<ProductDirectory>acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\", \"Climbs too\", \"<ProductDirectory>..\\..\\evil.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\", \"Folder\", \"<ProductDirectory>\"",
    });
    const std::string help = group + "Tools" + kSep + "More" + kSep + "Help.LNK";
    EXPECT_EQ(installed, (std::vector<std::string>{group + "Acme.LNK", help, group + "Folder.LNK"}));
    ASSERT_EQ(shell.Links().size(), 3u);
    // The bare placeholder puts the shortcut straight into the group folder.
    const ShellLink& acme = shell.Links().at(group + "Acme.LNK");
    EXPECT_EQ(acme.target, install + "acme.exe");
    EXPECT_EQ(acme.description, "Acme");
    EXPECT_EQ(acme.workingDirectory, dir / "Acme");
    const ShellLink& doc = shell.Links().at(help);
    EXPECT_EQ(doc.target, install + "doc" + kSep + "help.htm");
    EXPECT_EQ(doc.workingDirectory, install + "doc");
    EXPECT_TRUE(fs::is_directory(group + "Tools" + kSep + "More"));
    EXPECT_FALSE(fs::exists(dir / "Programs" + kSep + "Other"));
}

TEST_F(Groups, NoGroupOrNoDirectoryMakesNothing) {
    const ScriptLines lines{"CreateProgramGroup \"<ProductProgramGroup>\", \"Acme\", \"<ProductDirectory>acme.exe\""};
    CreateProgramGroups(SystemFiles(), shell, lines, "", install, installed);
    CreateProgramGroups(SystemFiles(), shell, lines, group, "", installed);
    EXPECT_TRUE(installed.empty());
    EXPECT_TRUE(shell.Links().empty());
    EXPECT_FALSE(fs::exists(group));
}

TEST_F(Groups, ShortcutRefusesCaptionsNoSystemTakesAsFileName) {
    for (const char* caption : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "", "tab\there"}) {
        EXPECT_FALSE(CreateShortcut(SystemFiles(), shell, group, caption, install + "acme.exe", installed)) << caption;
    }
    EXPECT_TRUE(installed.empty());
    EXPECT_FALSE(fs::exists(group));
    // The folder gains its separator.
    EXPECT_TRUE(CreateShortcut(SystemFiles(), shell, dir / "Group", "Acme 1.0 (beta)", install + "a.exe", installed));
    EXPECT_EQ(installed, (std::vector<std::string>{dir / "Group" + kSep + "Acme 1.0 (beta).LNK"}));
}

TEST_F(Groups, ShortcutFailsWhereItsFolderCannotBeMade) {
    testing::WriteFile(dir / "Programs", "a file where the folder belongs");
    EXPECT_FALSE(CreateShortcut(SystemFiles(), shell, group, "Acme", install + "acme.exe", installed));
    EXPECT_TRUE(installed.empty());
    EXPECT_TRUE(shell.Links().empty());
}

}  // namespace
}  // namespace vexa::installer
