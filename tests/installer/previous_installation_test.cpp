#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/format_path.hpp"
#include "common/registry_path.hpp"
#include "installer/installation_removal.hpp"
#include "installer/installed_programs.hpp"
#include "installer/installer_texts.hpp"
#include "installer/previous_installation.hpp"
#include "installer/uninstall_record.hpp"
#include "tests/support/fake_ports.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::SystemFiles;
using testing::WriteFile;
using Lines = std::vector<std::string>;

constexpr char kSep = kNativeSeparator;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// Real files in a folder of the test; every other port a fake.
struct Machine : ::testing::Test, testing::FakePorts {
    testing::TempDir dir;
    Platform platform = On(SystemFiles());

    // The product as installed into a folder with a blank in its name.
    std::string install = dir / "Program Files" + kSep + "Acme Tools" + kSep;
    std::string group = dir / "Programs" + kSep + "Acme" + kSep;

    std::string Make(const std::string& path, const std::string& bytes = "x") {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, bytes);
        return path;
    }
    void Register(const std::string& product, const std::string& directory) {
        registry.WriteString(kMachine, InstalledProgramKey(product), std::string(kDirectoryValue), directory);
        registry.WriteString(kMachine, UninstallEntryKey(product), std::string(kDisplayNameValue), product);
    }
    // An earlier installation: its files, its uninstall program with the record, its keys.
    Lines Install(const std::string& product = "Acme") {
        Lines record{product, install, group,
                     Make(install + "acme.exe"),
                     Make(install + "bin" + kSep + "deep" + kSep + "tool.dll"),
                     Make(group + "Tools" + kSep + "Acme.LNK"),
                     UninstallProgramPath(install)};
        Make(record.back(), "MZ");
        EXPECT_TRUE(WriteUninstallRecord(SystemFiles(), record.back(), record));
        Register(product, install);
        return record;
    }
    std::string Question() const {
        return std::string(kPreviousFound) + "\r\r" + install + "\r\r" + std::string(kPreviousQuestion);
    }
};

TEST_F(Machine, ReinstallAsksThenRemovesTheOldFilesAndTheFoldersTheyLeaveEmpty) {
    const Lines record = Install();
    const std::string userFile = Make(install + "data" + kSep + "mine.txt");
    ui.Answer("yes");
    Lines previous{"stale"};
    EXPECT_TRUE(CheckPreviousInstallation(platform, "ACME", previous));
    EXPECT_EQ(previous, record);
    ASSERT_EQ(ui.Questions().size(), 1u);
    EXPECT_EQ(ui.Questions()[0].kind, "yesno");
    EXPECT_EQ(ui.Questions()[0].title, kCaption);
    EXPECT_EQ(ui.Questions()[0].file.title, Question());

    RemovePreviousInstallation(platform, previous);
    for (std::size_t i = 3; i < record.size(); ++i) EXPECT_FALSE(fs::exists(record[i])) << record[i];
    for (const char* gone : {"bin", "Uninstall"}) EXPECT_FALSE(fs::exists(install + gone)) << gone;
    EXPECT_FALSE(fs::exists(group));
    EXPECT_TRUE(fs::is_directory(dir / "Programs"));
    // What the user put there keeps the install directory.
    EXPECT_TRUE(fs::exists(userFile));
    EXPECT_FALSE(registry.KeyExists(kMachine, InstalledProgramKey("Acme")));
    EXPECT_FALSE(registry.KeyExists(kMachine, UninstallEntryKey("Acme")));
    EXPECT_TRUE(registry.KeyExists(kMachine, SplitRegistryPath(kUninstallKey)));
}

TEST_F(Machine, NoToTheQuestionClearsTheListAndRemovesNothing) {
    const Lines record = Install();
    ui.Answer("no");
    Lines previous;
    EXPECT_FALSE(CheckPreviousInstallation(platform, "Acme", previous));
    EXPECT_TRUE(previous.empty());
    EXPECT_TRUE(fs::exists(record[3]));
}

TEST_F(Machine, NoEarlierInstallationAsksNothing) {
    struct Case {
        const char* what;
        std::function<void(Machine&)> arrange;
    };
    const Case cases[] = {
        {"nothing registered", [](Machine&) {}},
        {"registered directory gone",
         [](Machine& m) {
             m.Install();
             fs::remove_all(m.install);
         }},
        {"uninstall program missing",
         [](Machine& m) {
             m.Install();
             fs::remove(UninstallProgramPath(m.install));
         }},
        {"uninstall program without record",
         [](Machine& m) {
             m.Install();
             WriteFile(UninstallProgramPath(m.install), "MZ");
         }},
        {"record of another product", [](Machine& m) {
             m.Install("Other");
             m.Register("Acme", m.install);
         }},
        {"record of two lines",
         [](Machine& m) {
             m.Install();
             WriteUninstallRecord(SystemFiles(), UninstallProgramPath(m.install), {"Acme", m.install});
         }},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir.path());
        registry.DeleteKey(kMachine, {"SOFTWARE"});
        c.arrange(*this);
        Lines previous{"stale"};
        EXPECT_TRUE(CheckPreviousInstallation(platform, "Acme", previous)) << c.what;
        EXPECT_TRUE(previous.empty()) << c.what;
        EXPECT_TRUE(ui.Questions().empty()) << c.what;
    }
}

TEST_F(Machine, RemovalLeavesAlonePathsOutsideTheInstallation) {
    const std::string outside = Make(dir / "outside.txt");
    const std::string listedFolder = install + "folder";
    const std::string folder = Make(listedFolder + kSep + "kept");
    const Lines listed{
        outside,
        install + ".." + kSep + "outside.txt",
        install + "..\\outside.txt",
        group,
        install,
        listedFolder,
        "outside.txt",
    };
    Lines record{"Acme", install, group};
    record.insert(record.end(), listed.begin(), listed.end());
    const RemovalResult result = RemoveInstallation(platform, record);
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(folder));
    for (const std::string& path : listed) {
        const std::string native = NativePath(path).string();
        EXPECT_NE(std::find(result.left.begin(), result.left.end(), native), result.left.end()) << path;
    }
    // A folder listed as a file lies inside and is merely not removable.
    EXPECT_EQ(result.refused.size(), listed.size() - 1);
}

TEST_F(Machine, RemovalNeverWorksThroughALinkedFolder) {
    const std::string elsewhere = Make(dir / "elsewhere" + kSep + "precious.txt");
    std::error_code error;
    fs::create_directories(install);
    fs::create_directory_symlink(dir / "elsewhere", install + "link", error);
    if (error) GTEST_SKIP() << "no folder links here: " << error.message();
    const RemovalResult result =
        RemoveInstallation(platform, {"Acme", install, "", install + "link" + kSep + "precious.txt"});
    EXPECT_TRUE(fs::exists(elsewhere));
    EXPECT_EQ(result.refused, Lines{install + "link" + kSep + "precious.txt"});
}

TEST_F(Machine, RemovalWithRootsThatCoverTooMuchRemovesNothing) {
    const std::string file = Make(install + "acme.exe");
    const std::string root = fs::path(install).root_path().string();
    for (const Lines& record : {Lines{"Acme", root, "", file}, Lines{"Acme", "relative" + std::string(1, kSep), "", file},
                                Lines{"Acme", "", "", file}}) {
        EXPECT_EQ(RemoveInstallation(platform, record).refused, Lines{file}) << record[1];
        EXPECT_TRUE(fs::exists(file));
    }
}

TEST_F(Machine, RemovalWithoutProductNameKeepsEveryKey) {
    Register("Acme", install);
    RemoveInstallation(platform, {"", install, group});
    EXPECT_TRUE(registry.KeyExists(kMachine, InstalledProgramKey("Acme")));
    EXPECT_TRUE(registry.KeyExists(kMachine, UninstallEntryKey("Acme")));
}

struct Placing : Machine {
    InstallState state;
    Lines status;
    std::string attachment = dir / "setup.cab";

    void SetUp() override {
        state.productName = "Acme";
        state.installDirectory = install;
        state.programGroupPath = group;
        state.temporaryDirectory = dir / "~vx1" + kSep;
        state.installedFiles = {install + "acme.exe", group + "Acme.LNK"};
    }
    void Attach(const std::vector<test::FileSpec>& members) {
        Make(attachment, test::MakeCabinet(members));
    }
    void Place() {
        PlaceUninstallProgram(platform, state, attachment, [this](const std::string& line) { status.push_back(line); });
    }
    std::optional<std::string> UninstallString() {
        return registry.ReadString(kMachine, UninstallEntryKey("Acme"), std::string(kUninstallStringValue));
    }
};

TEST_F(Placing, PlacesTheProgramWithItsRecordAndRegistersIt) {
    Attach({{"Script.TXT", "SetProductName \"Acme\""}, {"uninstall.exe", "MZ the uninstall program"}});
    Place();
    const std::string program = install + "Uninstall" + kSep + "Uninstall.EXE";
    EXPECT_EQ(status, Lines{std::string(kCreatingUninstall)});
    EXPECT_EQ(state.installedFiles.back(), program);
    EXPECT_EQ(ReadUninstallRecord(SystemFiles(), program),
              (Lines{"Acme", install, group, install + "acme.exe", group + "Acme.LNK", program}));
    EXPECT_TRUE(ReadFile(program).starts_with("MZ the uninstall program" "Acme\r\n"));
    EXPECT_EQ(registry.ReadString(kMachine, UninstallEntryKey("Acme"), std::string(kDisplayNameValue)), "Acme");
    // The install directory has a blank in it.
    EXPECT_EQ(UninstallString(), '"' + program + '"');
    if (kNativeSeparator == '/') {
        EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
    }
}

TEST_F(Placing, APathWithoutBlankStandsBare) {
    state.installDirectory = install = dir / "Acme" + kSep;
    Attach({{"Uninstall.EXE", "MZ"}});
    Place();
    EXPECT_EQ(UninstallString(), UninstallProgramPath(install));
}

TEST_F(Placing, PlacingAgainReplacesTheProgramAndItsRecord) {
    Attach({{"Uninstall.EXE", "MZ new"}});
    Make(UninstallProgramPath(install), "MZ old and longer");
    Place();
    state.installedFiles.pop_back();
    Place();
    EXPECT_EQ(RecordLinesOf(ReadFile(UninstallProgramPath(install))).size(), 6u);
    EXPECT_TRUE(ReadFile(UninstallProgramPath(install)).starts_with("MZ newAcme\r\n"));
}

TEST_F(Placing, AnAttachmentWithoutTheProgramLeavesTheProductWithout) {
    Attach({{"Script.TXT", "SetProductName \"Acme\""}});
    Place();
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(state.installedFiles.size(), 2u);
    EXPECT_FALSE(fs::exists(install + "Uninstall"));
    EXPECT_FALSE(registry.KeyExists(kMachine, UninstallEntryKey("Acme")));
}

}  // namespace
}  // namespace vexa::installer
