// Uninstall.EXE on a console, run as a process on a copy carrying a record, in the test's
// fresh machine (its registry is the prefix's).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/uninstall_record.hpp"
#include "platform/native.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using testing::SystemFiles;
using Lines = std::vector<std::string>;

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

struct UninstallProgram : ::testing::Test {
    testing::TempDir dir;
    std::string install = dir / "Acme Tools/";
    std::string program = install + "Uninstall/" + std::string(kUninstallName);
    Lines record{"Acme", install, "", install + "acme.exe", install + "bin/tool.dll", program};

    void SetUp() override {
        fs::create_directories(install + "bin");
        fs::create_directories(fs::path(program).parent_path());
        fs::copy_file(VEXA_UNINSTALL_PROGRAM, program);
        testing::WriteFile(install + "acme.exe", "x");
        testing::WriteFile(install + "bin/tool.dll", "x");
        ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, record));
        NativePlatform native;
        native.Get().registry.WriteString(kMachine, InstalledProgramKey("Acme"), std::string(kDirectoryValue), install);
        native.Get().registry.WriteString(kMachine, UninstallEntryKey("Acme"), std::string(kDisplayNameValue), "Acme");
    }
    bool KeysLeft() {
        NativePlatform native;
        return native.Get().registry.KeyExists(kMachine, InstalledProgramKey("Acme")) ||
               native.Get().registry.KeyExists(kMachine, UninstallEntryKey("Acme"));
    }
};

TEST_F(UninstallProgram, AnsweredNoThenYesOnItsInput) {
    const std::string question = "Remove Acme and all of its files from " + install + "?";
    {
        test::ChildProcess refused({program});
        EXPECT_EQ(refused.Finish("n\n"), 1) << refused.Output();
        EXPECT_NE(refused.Output().find(question), std::string::npos) << refused.Output();
        EXPECT_TRUE(fs::exists(install + "bin/tool.dll"));
        EXPECT_TRUE(KeysLeft());
    }
    test::ChildProcess agreed({program});
    EXPECT_EQ(agreed.Finish("y\n"), 0) << agreed.Output();
    EXPECT_NE(agreed.Output().find("Acme has been removed."), std::string::npos) << agreed.Output();
    // The program removed itself and the folders as it ran.
    EXPECT_FALSE(fs::exists(install));
    EXPECT_FALSE(KeysLeft());
}

TEST_F(UninstallProgram, YesRemovesWithoutAsking) {
    test::ChildProcess child({program, "--yes"});
    EXPECT_EQ(child.Finish(), 0) << child.Output();
    EXPECT_EQ(child.Output().find("[y/N]"), std::string::npos) << child.Output();
    EXPECT_FALSE(fs::exists(install));
    EXPECT_FALSE(KeysLeft());
}

TEST_F(UninstallProgram, HelpBadOptionsAndACopyWithoutARecord) {
    const std::string bare = dir / "Uninstall.EXE";
    fs::copy_file(VEXA_UNINSTALL_PROGRAM, bare);
    const struct {
        Lines arguments;
        int status;
        std::string says;
    } cases[] = {
        {{program, "--help"}, 0, "Usage: Uninstall.EXE"},
        {{program, "--all"}, 2, "unknown option --all"},
        {{program, "--yes", "extra"}, 2, "unknown option extra"},
        {{bare, "--yes"}, 1, std::string(kNoInstallationRecord)},
    };
    for (const auto& c : cases) {
        test::ChildProcess child(c.arguments);
        EXPECT_EQ(child.Finish(), c.status) << c.arguments.back();
        EXPECT_NE(child.Output().find(c.says), std::string::npos) << child.Output();
    }
    EXPECT_TRUE(fs::exists(install + "acme.exe"));
    EXPECT_TRUE(KeysLeft());
}

}  // namespace
}  // namespace vexa::installer
