#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "common/format_path.hpp"
#include "common/registry_path.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "installer/vexa_install.hpp"
#include "tests/installer/temp_folder_files.hpp"
#include "tests/support/fake_ports.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using vexa::testing::TempDir;
using vexa::testing::WriteFile;

constexpr std::uint64_t kOffset = 777;
constexpr char S = kNativeSeparator;

class ScriptedHost final : public InstallerHost {
public:
    std::deque<std::optional<std::string>> passwords;    // then Cancel
    std::deque<std::optional<std::string>> directories;  // then Cancel
    int passwordDialogs = 0;

    std::optional<std::string> AskPassword() override {
        ++passwordDialogs;
        return Next(passwords);
    }
    std::optional<std::string> ChooseDirectory() override { return Next(directories); }
    void StatusChanged(const std::string&, int) override {}
    void EnableCancel(bool) override {}
    void Finished() override {}

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        auto next = queue.front();
        queue.pop_front();
        return next;
    }
};

class StartUpTest : public ::testing::Test, protected vexa::testing::FakePorts {
protected:
    StartUpTest() {
        files.shell.SetFolder(SpecialFolder::ProgramFiles, programFiles);
        files.shell.SetFolder(SpecialFolder::Programs, programs);
        fs::create_directories(programFiles);
    }

    // A setup program whose attachment holds `script` as Script.TXT.
    void WriteSetup(const std::string& script, const std::string& memberName = "Script.TXT") {
        WriteFile(own, std::string(kOffset, 'P') + vexa::test::MakeCabinet({{memberName, script}}));
    }
    std::unique_ptr<VexaInstall> Start(bool expected = true) {
        auto install = std::make_unique<VexaInstall>(platform, host, own, kOffset);
        EXPECT_EQ(install->StartUp(), expected);
        return install;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& q : ui.Questions()) {
            EXPECT_EQ(q.title, kCaption);
            texts.push_back(q.kind == "message" ? q.file.title : q.kind + ": " + q.file.title);
        }
        return texts;
    }

    TempDir dir;
    test::TempFolderFiles files{dir.path() / "temp"};
    std::string own = dir / "setup.exe";
    std::string programFiles = dir / "Program Files";
    std::string programs = dir / "Programs";
    Platform platform = On(files, files.shell);
    ScriptedHost host;
};

const std::string kGood =
    "SetProductName \"Acme\"\r\nSetProductDirectory \"<ProgramFilesDir>\\Acme\"\r\n"
    "SetProductProgramGroup \"<ProgramsGroup>\\Acme Tools\"\r\n";

TEST_F(StartUpTest, AGoodScriptResolvesEverythingAndKeepsTheAttachment) {
    WriteSetup(kGood);
    auto install = Start();
    const InstallState& state = install->State();
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    EXPECT_EQ(state.productName, "Acme");
    EXPECT_EQ(state.destination, programFiles + S + "Acme" + S);
    EXPECT_EQ(state.productFolderName, std::string("Acme") + S);
    EXPECT_EQ(state.programGroupDisplay, "Acme Tools");
    EXPECT_EQ(state.programGroupPath, programs + S + "Acme Tools" + S);
    EXPECT_EQ(state.scriptLines.size(), 4u);
    EXPECT_TRUE(fs::is_empty(state.temporaryDirectory));
    EXPECT_FALSE(fs::exists(state.temporaryDirectory + "Script.TXT"));
    EXPECT_EQ(files.Left().size(), 1u);  // the first expansion is gone

    install.reset();
    EXPECT_EQ(files.Left(), std::vector<std::string>{});
}

TEST_F(StartUpTest, AScriptInAFolderOfTheCabinetIsFound) {
    WriteSetup(kGood, "x\\script.txt");
    EXPECT_EQ(Start()->State().productName, "Acme");
}

TEST_F(StartUpTest, EachStopShowsItsMessageAndLeavesNothing) {
    struct Case {
        const char* label;
        std::string setup;  // the whole file; empty: a setup program with `script`
        std::string script;
        std::string message;
    };
    const std::string noScript = std::string(kOffset, 'P') + vexa::test::MakeCabinet({{"other.txt", "x"}});
    const Case cases[] = {
        {"nothing attached", std::string(kOffset, 'P'), "", std::string(kOwnEmpty)},
        {"no script", noScript, "", std::string(kNoScriptInAttachment)},
        {"no product name", "", "SetProductName Acme\rSetProductDirectory \"C:\\Acme\"", std::string(kNoProductName)},
        {"no directory", "", "SetProductName \"Acme\"", std::string(kNoProductDirectory)},
        {"blank directory", "", "SetProductName \"Acme\"\rSetProductDirectory \"  \"", std::string(kNoProductDirectory)},
        {"bare placeholder", "", "SetProductName \"Acme\"\rSetProductDirectory \"<ProgramFilesDir>\"",
         std::string(kNoSubDirectory)},
        {"placeholder and separator", "", "SetProductName \"Acme\"\rSetProductDirectory \"<ProgramFilesDir>\\\"",
         std::string(kNoSubDirectory)},
        {"drive root", "", "SetProductName \"Acme\"\rSetProductDirectory \"C:\\\"", std::string(kNoSubDirectory)},
        {"posix root", "", "SetProductName \"Acme\"\rSetProductDirectory \"/\"", std::string(kNoSubDirectory)},
        {"climbs out", "", "SetProductName \"Acme\"\rSetProductDirectory \"<ProgramFilesDir>\\..\\..\\Acme\"",
         std::string(kNoSubDirectory)},
        {"rooted remainder", "", "SetProductName \"Acme\"\rSetProductDirectory \"<ProgramFilesDir>\\\\Acme\"",
         std::string(kNoSubDirectory)},
    };
    for (const Case& c : cases) {
        if (c.setup.empty()) WriteSetup(c.script);
        else WriteFile(own, c.setup);
        FakeUi fresh;
        Platform machine = WithUi(platform, fresh);
        VexaInstall install(machine, host, own, kOffset);
        EXPECT_FALSE(install.StartUp()) << c.label;
        ASSERT_EQ(fresh.Questions().size(), 1u) << c.label;
        EXPECT_EQ(fresh.Questions()[0].file.title, c.message) << c.label;
        EXPECT_EQ(install.State().temporaryDirectory, "") << c.label;
        EXPECT_EQ(files.Left(), std::vector<std::string>{}) << c.label;
    }
}

TEST_F(StartUpTest, TheProductDirectoryFromTheSetting) {
    const std::string registered = dir / "Registered";
    struct Case {
        const char* label;
        std::string setting;
        std::optional<std::string> registryProgramFiles;
        std::optional<std::string> registeredDirectory;
        std::string destination;
    };
    const Case cases[] = {
        {"placeholder, separator", "<ProgramFilesDir>\\Acme", {}, {}, programFiles + S + "Acme" + S},
        {"lower case, no separator", "<programfilesdir>Acme", {}, {}, programFiles + S + "Acme" + S},
        {"trimmed, deeper", "  <ProgramFilesDir>\\Brindell\\Acme\\  ", {}, {},
         programFiles + S + "Brindell" + S + "Acme" + S},
        {"registry's Program Files", "<ProgramFilesDir>\\Acme", dir / "PF", {}, (dir / "PF") + S + "Acme" + S},
        {"no placeholder", (dir / "Own") + S + "Acme", {}, {}, (dir / "Own") + S + "Acme" + S},
        {"registered and usable", "<ProgramFilesDir>\\Acme", {}, registered, registered + S},
        {"registered but gone", "<ProgramFilesDir>\\Acme", {}, dir / "Gone", programFiles + S + "Acme" + S},
    };
    fs::create_directories(registered);
    const auto currentVersion = SplitRegistryPath(kCurrentVersionKey);
    auto installed = SplitRegistryPath(kInstalledProgramsKey);
    installed.push_back("Acme");
    for (const Case& c : cases) {
        registry.DeleteKey(RegistryRoot::LocalMachine, currentVersion);
        registry.DeleteKey(RegistryRoot::LocalMachine, installed);
        if (c.registryProgramFiles)
            registry.WriteString(RegistryRoot::LocalMachine, currentVersion, "ProgramFilesDir", *c.registryProgramFiles);
        if (c.registeredDirectory)
            registry.WriteString(RegistryRoot::LocalMachine, installed, "Directory", *c.registeredDirectory);
        WriteSetup("SetProductName \"Acme\"\rSetProductDirectory \"" + c.setting + "\"");
        EXPECT_EQ(Start()->State().destination, c.destination) << c.label;
    }

    files.shell.SetFolder(SpecialFolder::ProgramFiles, "");
    WriteSetup("SetProductName \"Acme\"\rSetProductDirectory \"<ProgramFilesDir>\\Acme\"");
    EXPECT_EQ(Start()->State().destination, NativePath("C:\\Program Files\\Acme\\").string());
}

TEST_F(StartUpTest, TheProgramGroupNeedsItsPlaceholderAndTheShell) {
    struct Case {
        std::string setting;
        std::string display;
        std::string path;
    };
    const Case cases[] = {
        {"<ProgramsGroup>\\Acme", "Acme", programs + S + "Acme" + S},
        {"<programsgroup>Acme\\Tools", "Acme\\Tools", programs + S + "Acme" + S + "Tools" + S},
        {"C:\\Menu\\Acme", "(none)", ""},
        {"", "(none)", ""},
        {"<ProgramsGroup>\\..\\Acme", "(none)", ""},
    };
    WriteSetup(kGood);
    auto install = Start();
    for (const Case& c : cases) {
        install->ResolveProgramGroup(c.setting);
        EXPECT_EQ(install->State().programGroupDisplay, c.display) << c.setting;
        EXPECT_EQ(install->State().programGroupPath, c.path) << c.setting;
    }
    files.shell.SetFolder(SpecialFolder::Programs, "");
    install->ResolveProgramGroup("<ProgramsGroup>\\Acme");
    EXPECT_EQ(install->State().programGroupDisplay, "(none)");
}

TEST_F(StartUpTest, TheCertificateIsCheckedOnlyWhenAskedFor) {
    struct Case {
        const char* label;
        std::string setting;
        bool available;
        bool trusted;
        std::optional<std::string> answer;  // to the question without the check
        bool started;
        std::size_t checks;
        std::size_t questions;
    };
    const Case cases[] = {
        {"not asked for", "yes", true, false, {}, true, 0, 0},
        {"trusted", "True", true, true, {}, true, 1, 0},
        {"refused", "TRUE", true, false, {}, false, 1, 0},
        {"no check, yes", "true", false, false, "yes", true, 0, 1},
        {"no check, no", "true", false, false, "no", false, 0, 1},
    };
    for (const Case& c : cases) {
        WriteSetup(kGood + "SetCheckTrust \"" + c.setting + "\"");
        FakeTrust check;
        check.SetAvailable(c.available);
        check.SetAnswer(c.trusted);
        FakeUi answers;
        if (c.answer) answers.Answer(c.answer);
        Platform machine{files, clock, windows, answers, components, files.shell, registry, internet, check, processes};
        VexaInstall install(machine, host, own, kOffset);
        EXPECT_EQ(install.StartUp(), c.started) << c.label;
        ASSERT_EQ(check.Checked().size(), c.checks) << c.label;
        for (const auto& [path, subject] : check.Checked()) {
            EXPECT_EQ(path, own);
            EXPECT_EQ(subject, TrustSubject::PortableExecutable);
        }
        ASSERT_EQ(answers.Questions().size(), c.questions) << c.label;
        for (const auto& question : answers.Questions()) EXPECT_EQ(question.file.title, kNoTrustLibrary);
        if (!c.started) {
            EXPECT_EQ(files.Left(), std::vector<std::string>{}) << c.label;
        }
    }
}

TEST_F(StartUpTest, ThePasswordIsAskedUntilItMatches) {
    WriteSetup(kGood + "SetPassword \"" + MakePasswordSetting("Sesame") + "\"");
    host.passwords = {"", "sesame", "", "Sesame"};
    auto install = Start();
    EXPECT_EQ(host.passwordDialogs, 4);
    EXPECT_EQ(Messages(), std::vector<std::string>{std::string(kWrongPassword)});
    EXPECT_FALSE(install->State().temporaryDirectory.empty());

    host.passwords = {"wrong"};  // then Cancel
    host.passwordDialogs = 0;
    Start(false);
    EXPECT_EQ(host.passwordDialogs, 2);
    EXPECT_EQ(files.Left().size(), 1u);  // only the first installer's expansion
}

TEST_F(StartUpTest, ChangeFolderEndsInTheProductFolder) {
    WriteSetup(kGood);
    auto install = Start();
    const std::string tools = dir / "Tools";
    struct Case {
        std::optional<std::string> chosen;
        std::string destination;
    };
    const Case cases[] = {
        {tools, tools + S + "Acme" + S},
        {tools + S + "acme", tools + S + "acme" + S},
        {tools + S + "Acme" + S, tools + S + "Acme" + S},
        {tools + S + "NotAcme", tools + S + "NotAcme" + S + "Acme" + S},
        {std::nullopt, tools + S + "NotAcme" + S + "Acme" + S},
    };
    for (const Case& c : cases) {
        host.directories = {c.chosen};
        install->ChangeFolder();
        EXPECT_EQ(install->State().destination, c.destination) << c.chosen.value_or("cancel");
    }
}

}  // namespace
}  // namespace vexa::installer
