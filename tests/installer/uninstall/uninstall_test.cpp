// The uninstall program's work with real files in a test's folder and every other port a fake.

#include "installer/uninstall/uninstall.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/format_path.hpp"
#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/uninstall_record.hpp"
#include "tests/support/fake_ports.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using testing::SystemFiles;
using testing::WriteFile;
using Lines = std::vector<std::string>;

constexpr char kSep = kNativeSeparator;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

struct Uninstalling : ::testing::Test, testing::FakePorts {
    testing::TempDir dir;
    Platform platform = On(SystemFiles());

    std::string install = dir / "Program Files" + kSep + "Acme Tools" + kSep;
    std::string group = dir / "Programs" + kSep + "Acme" + kSep;
    std::string program = install + "Uninstall" + kSep + std::string(kUninstallName);

    std::string Make(const std::string& path, const std::string& bytes = "x") {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, bytes);
        return path;
    }
    // An installation of "Acme" with its registry keys; `extra` goes before the program's own line.
    Lines Install(const Lines& extra = {}) {
        Lines record{"Acme", install, group, Make(install + "acme.exe"), Make(install + "bin" + kSep + "tool.dll"),
                     Make(group + "Acme.LNK")};
        record.insert(record.end(), extra.begin(), extra.end());
        record.push_back(Make(program, "MZ program"));
        EXPECT_TRUE(WriteUninstallRecord(SystemFiles(), program, record));
        registry.WriteString(kMachine, InstalledProgramKey("Acme"), std::string(kDirectoryValue), install);
        registry.WriteString(kMachine, UninstallEntryKey("Acme"), std::string(kDisplayNameValue), "Acme");
        return record;
    }
    bool KeysLeft() {
        return registry.KeyExists(kMachine, InstalledProgramKey("Acme")) ||
               registry.KeyExists(kMachine, UninstallEntryKey("Acme"));
    }
    const FakeUi::Question& LastMessage() {
        EXPECT_FALSE(ui.Questions().empty());
        return ui.Questions().back();
    }
};

TEST_F(Uninstalling, AsksOnceThenRemovesFilesFoldersShortcutsAndKeys) {
    Install();
    ui.Answer("yes");

    UninstallResult result = Uninstall(platform, program, true);

    ASSERT_EQ(ui.Questions().size(), 2u);
    EXPECT_EQ(ui.Questions()[0].kind, "yesno");
    EXPECT_EQ(ui.Questions()[0].title, "Acme");
    EXPECT_EQ(ui.Questions()[0].file.title, "Remove Acme and all of its files from " + install + "?");
    EXPECT_EQ(LastMessage().kind, "message");
    EXPECT_EQ(LastMessage().file.title, "Acme has been removed.");
    EXPECT_TRUE(result.removed);
    EXPECT_TRUE(result.atRestart.empty());
    EXPECT_TRUE(result.inPlace.empty());
    // The folders went with their files; their parents, which the installation did not make, stay.
    EXPECT_FALSE(fs::exists(install));
    EXPECT_FALSE(fs::exists(group));
    EXPECT_TRUE(fs::exists(dir / "Program Files"));
    EXPECT_FALSE(KeysLeft());
    EXPECT_TRUE(components.PendingReplacements().empty());
}

TEST_F(Uninstalling, NoLeavesEverythingInPlace) {
    Lines record = Install();
    ui.Answer("no");

    UninstallResult result = Uninstall(platform, program, true);

    EXPECT_FALSE(result.removed);
    ASSERT_EQ(ui.Questions().size(), 1u);  // nothing said after the answer
    for (std::size_t line = 3; line < record.size(); ++line) EXPECT_TRUE(fs::exists(record[line])) << record[line];
    EXPECT_TRUE(KeysLeft());
}

TEST_F(Uninstalling, WithoutARecordSaysSoAndTouchesNothing) {
    Make(dir / "plain.EXE", "MZ program");
    Make(dir / "short.EXE", "MZ program");
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), dir / "short.EXE", {"Acme", install}));
    Make(dir / "unnamed.EXE", "MZ program");
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), dir / "unnamed.EXE", {"", install, group, install + "acme.exe"}));
    const std::string noRecord(kNoInstallationRecord);
    const struct {
        std::string file;
        std::string message;
    } cases[] = {
        {dir / "plain.EXE", noRecord},
        {dir / "short.EXE", noRecord},    // fewer than the three lines every record has
        {dir / "unnamed.EXE", noRecord},  // no product: no keys to name
        {dir / "missing.EXE", std::string(kCannotOpenUninstall) + (dir / "missing.EXE")},
    };
    Make(install + "acme.exe");
    for (const auto& c : cases) {
        FakeUi fresh;
        Platform withFresh = WithUi(platform, fresh);
        UninstallResult result = Uninstall(withFresh, c.file, true);
        EXPECT_FALSE(result.removed) << c.file;
        ASSERT_EQ(fresh.Questions().size(), 1u) << c.file;  // no question asked
        EXPECT_EQ(fresh.Questions()[0].kind, "message") << c.file;
        EXPECT_EQ(fresh.Questions()[0].title, "Uninstall") << c.file;
        EXPECT_EQ(fresh.Questions()[0].file.title, c.message) << c.file;
    }
    EXPECT_TRUE(fs::exists(install + "acme.exe"));
}

// What cannot go now stays listed: inside the installation it waits for the restart (a
// folder stands in for a file in use); a folder kept by the user's own file, and a line
// that climbs out or names a file elsewhere, are neither removed nor ever scheduled.
TEST_F(Uninstalling, ListsWhatIsLeftAndLeavesOnlyTheInstallationsPartToTheRestart) {
    const std::string outside = Make(dir / "victim.txt", "the user's");
    const std::string climbing = install + ".." + kSep + ".." + kSep + "victim.txt";
    const std::string stuck = install + "data" + kSep + "in use";
    Make(stuck + kSep + "held");
    Install({stuck, outside, climbing});
    const std::string users = Make(group + "notes.txt", "the user's own");

    UninstallResult result = Uninstall(platform, program, false);

    EXPECT_EQ(testing::ReadFile(outside), "the user's");
    EXPECT_TRUE(result.removed);
    // The group stays for the user's file, as it is.
    const std::string groupFolder = fs::path(group).parent_path().string();
    EXPECT_EQ(result.inPlace, (Lines{groupFolder, outside, climbing}));
    EXPECT_EQ(testing::ReadFile(users), "the user's own");
    // The stuck entry, then the folders it keeps up to the install directory, deepest first.
    const Lines scheduled{stuck, install + "data", fs::path(install).parent_path().string()};
    EXPECT_EQ(result.atRestart, scheduled);
    std::vector<std::pair<std::string, std::string>> deletions;
    for (const std::string& path : scheduled) deletions.emplace_back("", path);
    EXPECT_EQ(components.PendingReplacements(), deletions);
    EXPECT_FALSE(fs::exists(program));
    EXPECT_FALSE(fs::exists(group + "Acme.LNK"));
    EXPECT_FALSE(KeysLeft());

    const std::string& message = LastMessage().file.title;
    EXPECT_EQ(LastMessage().title, "Acme");
    EXPECT_TRUE(message.starts_with("Acme has been removed.\r\n\r\n" + std::string(kLeftUntilRestart) + "\r\n" + stuck))
        << message;
    EXPECT_NE(message.find(std::string(kLeftInPlace) + "\r\n" + groupFolder + "\r\n" + outside), std::string::npos)
        << message;
    EXPECT_EQ(ui.Questions().size(), 1u);  // told, never asked
}

// Where a running program cannot delete itself, its file and the folders holding it wait
// for the restart, as a matter of course and unmentioned. A folder stands in for the
// program's file in use; the record travels on another copy.
TEST_F(Uninstalling, ItsOwnFileInUseGoesAtTheRestartUnmentioned) {
    const std::string carrier = Make(dir / "carrier.EXE", "MZ program");
    Make(program + kSep + "held");
    Lines record{"Acme", install, "", Make(install + "acme.exe"), program};
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), carrier, record));

    UninstallResult result = Uninstall(platform, carrier, false);

    EXPECT_TRUE(result.atRestart.empty());
    EXPECT_TRUE(result.inPlace.empty());
    EXPECT_EQ(LastMessage().file.title, "Acme has been removed.");
    const std::string folder = fs::path(program).parent_path().string();
    const std::vector<std::pair<std::string, std::string>> deletions{
        {"", program}, {"", folder}, {"", fs::path(install).parent_path().string()}};
    EXPECT_EQ(components.PendingReplacements(), deletions);
    EXPECT_FALSE(fs::exists(install + "acme.exe"));
}

}  // namespace
}  // namespace vexa::installer
