#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/file_beside.hpp"
#include "common/format_path.hpp"
#include "installer/installer_texts.hpp"
#include "installer/vexa_install.hpp"
#include "tests/support/fake_ports.hpp"
#include "tests/support/forwarding_files.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using vexa::test::CabinetOf;
using vexa::test::Member;
using vexa::testing::ReadFile;
using vexa::testing::WriteFile;

constexpr std::uint64_t kOffset = 512;
constexpr std::uint64_t kMB = 1'000'000;
constexpr const char* kClassId = "{11111111-2222-3333-4444-555555555555}";

std::string Trimmed(const std::string& folder) {
    std::string path = fs::path(folder).lexically_normal().string();
    while (path.size() > 1 && path.back() == kNativeSeparator) path.pop_back();
    return path;
}

// The real files, with the system's temporary folder in the test's own, the free space of
// the two drives set by the test, and folders where nothing can be replaced (a library in
// use there) or nothing staged for the restart.
class MachineFiles final : public vexa::testing::ForwardingFiles {
public:
    MachineFiles(Files& real, std::string temp, std::string system)
        : ForwardingFiles(real), temp_(std::move(temp)), system_(std::move(system)) {}

    std::optional<DriveSpace> programSpace = DriveSpace{1'000 * kMB, 1'000 * kMB};
    std::optional<DriveSpace> systemSpace = DriveSpace{1'000 * kMB, 1'000 * kMB};
    std::set<std::string> inUse;
    bool stagingFails = false;

    std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) override {
        if (prefix == FileBeside::kPrefix && inUse.contains(Trimmed(folder))) return std::nullopt;
        return real_.CreateTempFileIn(folder, prefix);
    }
    std::optional<std::string> CreateTempFile(const std::string& prefix) override {
        if (stagingFails) return std::nullopt;
        return real_.CreateTempFileIn(temp_, prefix);
    }
    std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) override {
        return Trimmed(folder).starts_with(system_) ? systemSpace : programSpace;
    }

private:
    std::string temp_, system_;
};

class RecordingHost final : public InstallerHost {
public:
    std::optional<std::string> AskPassword() override { return std::nullopt; }
    std::optional<std::string> ChooseDirectory() override { return std::nullopt; }
    void StatusChanged(const std::string& text, int lines) override {
        std::lock_guard lock(mutex_);
        log = text;
        linesAppended = lines;
        if (onStatus) onStatus(text);
    }
    void EnableCancel(bool enabled) override {
        std::lock_guard lock(mutex_);
        cancelStates.push_back(enabled);
    }
    void Finished() override { ++finished; }

    std::function<void(const std::string&)> onStatus;
    std::string log;
    int linesAppended = 0;
    std::vector<bool> cancelStates;
    std::atomic<int> finished = 0;

private:
    std::mutex mutex_;
};

std::string Line(const std::string& command, const std::vector<std::string>& arguments) {
    std::string line = command;
    for (const std::string& argument : arguments) line += " \"" + argument + "\",";
    return line + "\r\n";
}

std::string Dll(const std::string& cabinet, const std::string& file, const std::string& version,
                std::uint64_t cabinetSize = 100, std::uint64_t size = 200) {
    return Line("InstallDllFile",
                {cabinet, std::to_string(cabinetSize), file, version, "1", std::to_string(size), "1-0"});
}
std::string Ocx(const std::string& cabinet, const std::string& file, const std::string& version,
                const std::string& classId = kClassId) {
    return Line("InstallOcxFile", {cabinet, "100", file, version, classId, "1", "300", "1-0"});
}
std::string Program(const std::string& cabinet, const std::string& sub = "", std::uint64_t cabinetSize = 1000,
                    std::uint64_t size = 5000) {
    return Line("InstallProgram", {cabinet, std::to_string(cabinetSize), "20240229123456", "1",
                                   std::to_string(size), "1-0", sub});
}

class EngineTest : public ::testing::Test, protected vexa::testing::FakePorts {
protected:
    EngineTest() {
        for (const std::string& folder : {Temp(), System(), ProgramFiles()}) fs::create_directories(folder);
        shell.SetFolder(SpecialFolder::Temp, Temp());
        shell.SetFolder(SpecialFolder::Windows, Trimmed(root / "windows"));
        shell.SetFolder(SpecialFolder::System, System());
        shell.SetFolder(SpecialFolder::ProgramFiles, ProgramFiles());
        components.SetDefaultDestination(System());
    }

    std::string Temp() const { return Trimmed(root / "temp"); }
    std::string System() const { return Trimmed((root.path() / "windows" / "system").string()); }
    std::string ProgramFiles() const { return Trimmed(root / "pf"); }
    std::string Product() const { return ProgramFiles() + kNativeSeparator + "Acme" + kNativeSeparator; }
    std::string InSystem(const std::string& name) const { return System() + kNativeSeparator + name; }

    // The setup program: an image of kOffset bytes and the attachment holding the script
    // (product Acme below the test's Program Files) and `members`.
    void MakeSetup(const std::string& lines, std::vector<Member> members) {
        std::string script = "SetProductName \"Acme\"\r\nSetProductDirectory \"" + Product() + "\"\r\n" +
                             "SetDoneMessage \"All done\"\r\n" + lines;
        members.insert(members.begin(), Member{"Script.TXT", script});
        const std::string attachment = CabinetOf(members);
        ASSERT_FALSE(attachment.empty());
        WriteFile(SetupPath(), std::string(kOffset, 'M') + attachment);
    }
    std::string SetupPath() const { return root / "setup.exe"; }

    VexaInstall& StartUp() {
        installer = std::make_unique<VexaInstall>(platform, host, SetupPath(), kOffset);
        EXPECT_TRUE(installer->StartUp());
        return *installer;
    }
    // Start-up and Install pressed; the worker is the caller's to run.
    VexaInstall& Pressed() {
        VexaInstall& install = StartUp();
        EXPECT_TRUE(install.PressInstall());
        return install;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& question : ui.Questions()) texts.push_back(question.kind + ": " + question.file.title);
        return texts;
    }
    std::optional<std::string> RecordedDirectory() {
        return registry.ReadString(RegistryRoot::LocalMachine,
                                   {"SOFTWARE", "Brindell Install", "Installed Programs", "Acme"}, "Directory");
    }

    vexa::testing::TempDir root;
    MachineFiles files{vexa::testing::SystemFiles(), Temp(), System()};
    Platform platform = On(files);
    RecordingHost host;
    std::unique_ptr<VexaInstall> installer;
};

TEST_F(EngineTest, InstallsLibrariesControlsAndProgramsAndRecordsTheInstallation) {
    // Present and up to date: the library is left alone, the control registered again.
    WriteFile(InSystem("old.dll"), "old");
    components.SetSharedFile("old.dll", {System(), System()});
    components.SetFileVersion(InSystem("old.dll"), "3,0,0,0");
    const std::string registered = root / "registered.ocx";
    WriteFile(registered, "registered");
    registry.WriteString(RegistryRoot::ClassesRoot, {"CLSID", kClassId, "InprocServer32"}, "", registered);
    components.SetFileVersion(registered, "1,0,0,0");
    components.AddServer(registered, true, false);
    components.AddServer(InSystem("c.ocx"), true, false);
    MakeSetup(Dll("Comps\\comp.cab", "a.dll", "2,0,0,0") + Dll("b.dll", "b.dll", "1,0,0,0") +
                  Dll("old.cab", "old.dll", "3,0,0,0") + Ocx("ctl.cab", "c.ocx", "1,0,0,0") +
                  Ocx("ctl.cab", "c.ocx", "2,0,0,0", "{99999999-2222-3333-4444-555555555555}") + Program("prog.cab", "\\bin") + Program("top.cab") +
                  Line("Execute", {"<ProductDirectory>\\bin\\run.exe", "a b", "c"}),
              {{"COMP.CAB", CabinetOf({{"a.dll", "library a"}})},
               {"b.dll", "library b"},
               {"ctl.cab", CabinetOf({{"c.ocx", "control"}})},
               {"prog.cab", CabinetOf({{"run.exe", "program"}, {"data\\x.txt", "data"}})},
               {"top.cab", CabinetOf({{"readme.txt", "read me"}})}});
    components.SetFileVersion("c.ocx", "2,0,0,0");

    VexaInstall& install = Pressed();
    const std::string temporary = install.State().temporaryDirectory;
    install.RunInstallation();

    EXPECT_EQ(ReadFile(InSystem("a.dll")), "library a");
    EXPECT_EQ(ReadFile(InSystem("b.dll")), "library b");
    EXPECT_EQ(ReadFile(InSystem("old.dll")), "old");
    EXPECT_EQ(ReadFile(InSystem("c.ocx")), "control");
    EXPECT_EQ(ReadFile(registered), "registered");
    EXPECT_EQ(components.Calls(), (std::vector<std::string>{"DllRegisterServer " + registered,
                                                             "DllRegisterServer " + InSystem("c.ocx")}));
    const std::string bin = Product() + "bin" + kNativeSeparator;
    EXPECT_EQ(ReadFile(bin + "run.exe"), "program");
    EXPECT_EQ(ReadFile(bin + "data" + kNativeSeparator + "x.txt"), "data");
    EXPECT_EQ(install.State().installedFiles,
              (std::vector<std::string>{bin + "run.exe", bin + "data" + kNativeSeparator + "x.txt",
                                        Product() + "readme.txt"}));
    EXPECT_EQ(host.log, "\r\nInstalling COMP.CAB\r\nInstalling B.DLL\r\nInstalling CTL.CAB\r\nInstalling PROG.CAB"
                        "\r\nInstalling TOP.CAB\r\nInstallation completed");
    EXPECT_EQ(host.linesAppended, 6);
    EXPECT_EQ(RecordedDirectory(), Product());
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"message: All done"}));
    ASSERT_EQ(processes.Starts().size(), 1u);
    EXPECT_EQ(processes.Starts()[0].program, bin + "run.exe");
    EXPECT_EQ(processes.Starts()[0].arguments, "\"a b\" c");
    EXPECT_EQ(processes.Starts()[0].workingDirectory, Product());
    EXPECT_EQ(host.cancelStates, std::vector<bool>{false});
    EXPECT_EQ(host.finished, 1);
}

TEST_F(EngineTest, DiskSpaceAddsUpOnOneDriveAndCountsOnlyWhatIsNeeded) {
    struct Case {
        const char* name;
        std::optional<std::uint64_t> programFree, systemFree;
        bool dllPresent;
        std::string message;
        std::string moreLines;
    };
    // The program needs 4 + 6 MB, the library 0.5 + 1.5 MB; on one drive 12 MB in all.
    const std::uint64_t huge = 9'000'000'000'000'000'000u;
    const std::string drive = kNativeSeparator == '/' ? "/" : Product().substr(0, 2);
    const std::vector<Case> cases = {
        {"11 MB free for 12", 11 * kMB, 11 * kMB, false,
         "Error: Insufficient disk space on drive " + drive +
             " for this installation. Space required is: 12000000 bytes. Space available is: 11000000 bytes. ",
         ""},
        {"12 MB free", 12 * kMB, 12 * kMB, false, "", ""},
        {"library present", 11 * kMB, 11 * kMB, true, "", ""},
        {"program space unknown", std::nullopt, 0, false, "", ""},
        {"system space unknown", 0, std::nullopt, false, "", ""},
        {"sizes past counting", 11 * kMB, 11 * kMB, false,
         "Error: Insufficient disk space on drive " + drive +
             " for this installation. Space required is: 18446744073709551615 bytes. Space available is: 11000000 "
             "bytes. ",
         Program("huge.cab", "", huge, huge) + Program("huge.cab", "", huge, huge)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.programSpace = c.programFree ? std::optional(DriveSpace{100 * kMB, *c.programFree}) : std::nullopt;
        files.systemSpace = c.systemFree ? std::optional(DriveSpace{100 * kMB, *c.systemFree}) : std::nullopt;
        components = FakeComponents();
        components.SetDefaultDestination(System());
        if (c.dllPresent) {
            components.SetSharedFile("a.dll", {System(), System()});
            components.SetFileVersion(InSystem("a.dll"), "2,0,0,0");
        }
        MakeSetup(Dll("comp.cab", "a.dll", "2,0,0,0", kMB / 2, 3 * kMB / 2) + Program("prog.cab", "", 4 * kMB, 6 * kMB) +
                      c.moreLines,
                  {});
        ui = FakeUi();
        installer = std::make_unique<VexaInstall>(platform, host, SetupPath(), kOffset);
        ASSERT_TRUE(installer->StartUp());
        EXPECT_EQ(installer->PressInstall(), c.message.empty());
        EXPECT_EQ(Messages(), c.message.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{"message: " + c.message});
        EXPECT_EQ(fs::exists(Product()), c.message.empty());
        fs::remove_all(Product());
        installer->PressCancel();
    }
}

// Where drive letters exist, they are compared as written: "c:" and "C:" are two drives,
// so neither has to hold the other's needs.
TEST_F(EngineTest, DriveLettersDifferingInCaseAreTwoDrives) {
    if constexpr (kNativeSeparator == '/') GTEST_SKIP() << "POSIX paths have no drive letters";
    std::string system = System();
    system[0] = static_cast<char>(system[0] == 'c' ? 'C' : 'c');
    shell.SetFolder(SpecialFolder::System, system);
    files.programSpace = files.systemSpace = DriveSpace{100 * kMB, 11 * kMB};
    MakeSetup(Dll("comp.cab", "a.dll", "2,0,0,0", kMB / 2, 3 * kMB / 2) + Program("prog.cab", "", 4 * kMB, 6 * kMB),
              {});
    EXPECT_TRUE(StartUp().PressInstall());
}

TEST_F(EngineTest, AFailingLineEndsTheInstallationWithItsMessageAndKeepsWhatCameBefore) {
    struct Case {
        const char* name;
        std::string line;
        std::vector<Member> members;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"member missing", Program("Cabs\\missing.cab"), {},
         "Error. Cannot extract MISSING.CAB from self-extract EXE file."},
        {"file missing in its cabinet", Dll("comp.cab", "z.dll", "1,0,0,0"),
         {{"comp.cab", CabinetOf({{"a.dll", "a"}})}}, "Error. Cannot extract z.dll from COMP.CAB"},
        {"library neither copied nor staged", Dll("a.dll", "a.dll", "1,0,0,0"), {{"a.dll", "a"}},
         "Error. Cannot install DLL a.dll"},
        {"control neither copied nor staged", Ocx("c.ocx", "c.ocx", "1,0,0,0"), {{"c.ocx", "c"}},
         "Error. Cannot install OCX c.ocx"},
        {"sub-directory climbing out", Program("prog.cab", "\\..\\out"), {{"prog.cab", CabinetOf({{"x", "x"}})}},
         "Cannot create sub-directory \\..\\out to expand: PROG.CAB"},
        {"sub-directory blocked by a file", Program("prog.cab", "\\first.txt\\bin"),
         {{"prog.cab", CabinetOf({{"x", "x"}})}}, "Cannot create sub-directory \\first.txt\\bin to expand: PROG.CAB"},
        {"program cabinet spoilt", Program("prog.cab"), {{"prog.cab", "not a cabinet"}},
         "Error. Cannot expand CAB file: PROG.CAB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Product());
        ui = FakeUi();
        host.finished = 0;
        const bool component = c.line.starts_with("InstallDll") || c.line.starts_with("InstallOcx");
        files.inUse = component ? std::set<std::string>{System()} : std::set<std::string>{};
        std::vector<Member> members = c.members;
        members.push_back({"first.cab", CabinetOf({{"first.txt", "first"}})});
        MakeSetup(Program("first.cab") + c.line + Program("first.cab"), members);
        files.stagingFails = false;
        VexaInstall& install = Pressed();
        const std::string temporary = install.State().temporaryDirectory;
        files.stagingFails = component;
        install.RunInstallation();

        EXPECT_EQ(Messages(), std::vector<std::string>{"message: " + c.message});
        EXPECT_EQ(ReadFile(Product() + "first.txt"), "first");
        EXPECT_EQ(install.State().installedFiles, std::vector<std::string>{Product() + "first.txt"});
        EXPECT_FALSE(fs::exists(temporary));
        EXPECT_FALSE(fs::exists(ProgramFiles() + kNativeSeparator + "out"));
        EXPECT_EQ(RecordedDirectory(), std::nullopt);
        EXPECT_EQ(host.finished, 1);
    }
}

TEST_F(EngineTest, ALibraryInUseIsReplacedAtTheRestartAndTheUserAskedToRestart) {
    WriteFile(InSystem("a.dll"), "old library");
    components.SetSharedFile("a.dll", {System(), System()});
    components.SetFileVersion(InSystem("a.dll"), "1,0,0,0");
    files.inUse = {System()};
    MakeSetup(Dll("comp.cab", "a.dll", "2,0,0,0") + Line("Execute", {"<ProductDirectory>run.exe"}),
              {{"comp.cab", CabinetOf({{"a.dll", "new library"}})}});
    components.SetFileVersion("a.dll", "2,0,0,0");
    ui.Answer("yes");
    Pressed().RunInstallation();

    EXPECT_EQ(ReadFile(InSystem("a.dll")), "old library");
    ASSERT_EQ(components.PendingReplacements().size(), 1u);
    const auto& [staged, target] = components.PendingReplacements()[0];
    EXPECT_EQ(target, InSystem("a.dll"));
    EXPECT_TRUE(Trimmed(staged).starts_with(Temp() + kNativeSeparator + "~vx"));
    EXPECT_EQ(ReadFile(staged), "new library");
    EXPECT_EQ(Messages(), std::vector<std::string>{"yesno: " + std::string(kRebootQuestion)});
    EXPECT_EQ(components.Restarts(), 1);
    EXPECT_TRUE(processes.Starts().empty());
    EXPECT_EQ(host.log.find("Installation completed"), std::string::npos);
    EXPECT_EQ(RecordedDirectory(), Product());
    EXPECT_EQ(host.finished, 1);
}

// Cancel is pressed while the first program line runs: the worker waits at the pause flag
// after it until the question is answered.
TEST_F(EngineTest, CancelPausesBetweenLinesAndNoGoesOnWhileYesEnds) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        fs::remove_all(Product());
        ui = FakeUi();
        host.finished = 0;
        host.cancelStates.clear();
        MakeSetup(Program("first.cab") + Program("second.cab"),
                  {{"first.cab", CabinetOf({{"first.txt", "1"}})}, {"second.cab", CabinetOf({{"second.txt", "2"}})}});
        VexaInstall& install = Pressed();
        const std::string temporary = install.State().temporaryDirectory;
        host.onStatus = [&](const std::string& log) {
            if (log.ends_with("Installing FIRST.CAB")) WriteFile(temporary + std::string(kPauseFlag), "");
        };
        const std::uint64_t slept = clock.Slept();
        std::thread worker([&] { install.RunInstallation(); });
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (clock.Slept() == slept && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(fs::exists(Product() + "first.txt"));
        EXPECT_FALSE(fs::exists(Product() + "second.txt"));

        ui.Answer(yes ? "yes" : "no");
        EXPECT_FALSE(install.PressCancel());
        worker.join();
        host.onStatus = nullptr;

        EXPECT_EQ(fs::exists(Product() + "second.txt"), !yes);
        EXPECT_TRUE(fs::exists(Product() + "first.txt"));
        EXPECT_FALSE(fs::exists(temporary));
        EXPECT_EQ(host.finished, 1);
        std::vector<std::string> expected = {"yesno: " + std::string(kCancelQuestion)};
        if (!yes) expected.push_back("message: All done");
        EXPECT_EQ(Messages(), expected);
        EXPECT_EQ(install.State().statusText, yes ? std::string(kCancelling) : std::string());
        // On Yes by the button, on No at the loop's end.
        EXPECT_EQ(host.cancelStates, std::vector<bool>{false});
        EXPECT_EQ(RecordedDirectory().has_value(), !yes);
        registry.DeleteKey(RegistryRoot::LocalMachine, {"SOFTWARE"});
    }
}

TEST_F(EngineTest, InstallingAgainRemovesThePreviousInstallationWhileCancelIsDisabled) {
    MakeSetup(Program("first.cab"),
              {{"first.cab", CabinetOf({{"first.txt", "1"}})}, {"Uninstall.EXE", "uninstall program"}});
    Pressed().RunInstallation();
    ASSERT_TRUE(fs::exists(Product() + "first.txt"));
    host.cancelStates.clear();
    ui.Answer("yes");
    Pressed().RunInstallation();

    EXPECT_TRUE(host.log.starts_with("\r\nRemoving previous installation of this program\r\nInstalling FIRST.CAB"));
    EXPECT_EQ(host.cancelStates, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ReadFile(Product() + "first.txt"), "1");
    EXPECT_EQ(host.finished, 2);
}

TEST_F(EngineTest, CancelBeforeInstallRemovesTheExpansionDirectoryAndEnds) {
    MakeSetup(Program("first.cab"), {{"first.cab", CabinetOf({{"first.txt", "1"}})}});
    VexaInstall& install = StartUp();
    const std::string temporary = install.State().temporaryDirectory;
    ASSERT_TRUE(fs::exists(temporary));
    EXPECT_TRUE(install.PressCancel());
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_TRUE(ui.Questions().empty());
}

TEST_F(EngineTest, ExecuteRunsTheFirstLineBelowTheProductDirectory) {
    struct Case {
        const char* name;
        std::string lines;
        std::vector<FakeProcesses::StartCall> starts;
        std::vector<std::string> opened;
        std::string error;
    };
    const std::string product = Product();
    const std::vector<Case> cases = {
        {"none", "", {}, {}, ""},
        {"none qualifying", Line("Execute", {"C:\\run.exe"}) + Line("ExecuteInSeparateWindow", {""}), {}, {},
         std::string(kNoExecuteLine)},
        {"program with arguments",
         Line("Execute", {"C:\\other.exe"}) + Line("ExecuteInSeparateWindow", {"<ProductDirectory>\\bin\\Run.Exe",
                                                                               "first one", "2"}),
         {{product + "bin" + kNativeSeparator + "Run.Exe", "\"first one\" 2", product}}, {}, ""},
        {"document", Line("Execute", {"<productdirectory>readme.txt"}), {}, {product + "readme.txt"}, ""},
        {"program that will not start", Line("Execute", {"<ProductDirectory>broken.exe"}),
         {{product + "broken.exe", "", product}}, {},
         std::string(kCannotExecute) + product + "broken.exe"},
        {"a climb out", Line("Execute", {"<ProductDirectory>..\\evil.exe"}), {}, {},
         std::string(kCannotExecute) + product + ".." + kNativeSeparator + "evil.exe"},
    };
    processes.FailToStart(product + "broken.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t startsBefore = processes.Starts().size(), openedBefore = shell.Opened().size();
        MakeSetup(c.lines, {});
        EXPECT_EQ(Pressed().RunExecuteStep(), c.error);
        ASSERT_EQ(processes.Starts().size() - startsBefore, c.starts.size());
        for (std::size_t i = 0; i < c.starts.size(); ++i) {
            const auto& start = processes.Starts()[startsBefore + i];
            EXPECT_EQ(start.program, c.starts[i].program);
            EXPECT_EQ(start.arguments, c.starts[i].arguments);
            EXPECT_EQ(start.workingDirectory, c.starts[i].workingDirectory);
        }
        EXPECT_EQ(std::vector<std::string>(shell.Opened().begin() + openedBefore, shell.Opened().end()), c.opened);
        installer->PressCancel();
    }
}

}  // namespace
}  // namespace vexa::installer
