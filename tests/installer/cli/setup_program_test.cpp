// The console installer as its users meet it: a setup program made here from the built
// installer and an attachment of a script, a DLL, a control and program cabinets runs as a
// process of its own in the test's fresh machine, answers on its standard input and takes
// Ctrl+C. What it leaves is checked on the machine afterwards.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/registry_path.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "platform/native.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

const std::string kProduct = "Vexa Console Trip";
const std::string kFolder = "Console Trip";
const std::string kDoneMessage = "The round trip is installed.";
const std::string kServerClass = "{6A2E8B42-1D3C-4E7F-8B9A-4C8D2E3F5071}";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
std::string Size(const std::string& path) { return std::to_string(fs::file_size(path)); }

struct Outcome {
    int status;
    std::string output;
};

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / "parts");
        fs::create_directories(destination_);
    }

    // `vexa cab make OUT FILE=NAME...`.
    std::string Cabinet(const std::string& name, const std::vector<std::pair<std::string, std::string>>& members) {
        std::vector<std::string> command{VEXA_PROGRAM, "cab", "make", Part(name)};
        for (const auto& [file, stored] : members) command.push_back(file + "=" + stored);
        ChildProcess vexa(command);
        EXPECT_EQ(vexa.Finish(), 0) << vexa.Output();
        return Part(name);
    }
    std::string Part(const std::string& name) const { return (dir_.path() / "parts" / name).string(); }
    // A file of `bytes` text bytes among the parts.
    std::string TextFile(const std::string& name, std::size_t bytes) const {
        std::string text;
        for (int line = 0; text.size() < bytes; ++line) text += "line " + std::to_string(line) + " of " + name + "\r\n";
        text.resize(bytes);
        WriteFile(Part(name), text);
        return Part(name);
    }
    std::string ProgramLine(const std::string& cabinet, const std::string& subDirectory = "") const {
        return "InstallProgram " + Quoted(fs::path(cabinet).filename().string()) + ", " + Quoted(Size(cabinet)) +
               ", \"20240229123456\", \"1\", " + Quoted(Size(cabinet)) + ", \"\", " + Quoted(subDirectory) + "\r\n";
    }

    // The round trip's script and parts: a DLL and a control in cabinets, two program
    // cabinets (the second into bin), two shortcuts and the program that reports.
    std::string RoundTripScript(bool withGuide = true) {
        std::string lib = Cabinet("Lib.cab", {{VEXA_VERSIONED_DLL, "vxtest.dll"}});
        std::string server = Cabinet("Server.cab", {{VEXA_SERVER_DLL, "vxserver.ocx"}});
        WriteFile(Part("readme.txt"), "read me\r\n");
        WriteFile(Part("guide.txt"), "the guide\r\n");
        std::vector<std::pair<std::string, std::string>> program{{Part("readme.txt"), "readme.txt"}};
        if (withGuide) program.emplace_back(Part("guide.txt"), "docs\\guide.txt");
        std::string prog = Cabinet("Prog.cab", program);
        std::string tools = Cabinet("Tools.cab", {{VEXA_PROCESS_FIXTURE, "report.exe"}});
        return "SetProductName " + Quoted(kProduct) + "\r\n" +
               "SetProductDirectory \"<ProgramFilesDir>\\" + kFolder + "\"\r\n" +
               "SetProductProgramGroup \"<ProgramsGroup>\\" + kFolder + "\"\r\n" +
               "SetDoneMessage " + Quoted(kDoneMessage) + "\r\n" +
               "InstallDllFile \"Lib.cab\", " + Quoted(Size(lib)) + ", \"vxtest.dll\", \"1,0,0,0\", \"1\", " +
               Quoted(Size(VEXA_VERSIONED_DLL)) + ", \"\"\r\n" +
               "InstallOcxFile \"Server.cab\", " + Quoted(Size(server)) + ", \"vxserver.ocx\", \"1,0,0,0\", " +
               Quoted(kServerClass) + ", \"1\", " + Quoted(Size(VEXA_SERVER_DLL)) + ", \"\"\r\n" +
               ProgramLine(prog) + ProgramLine(tools, "\\bin") +
               "CreateProgramGroup \"<ProductProgramGroup>\", \"Read Me\", \"<ProductDirectory>\\readme.txt\"\r\n" +
               "CreateProgramGroup \"<ProductProgramGroup>\\Tools\", \"Report\", \"<ProductDirectory>\\bin\\report.exe\"\r\n" +
               "Execute \"<ProductDirectory>\\bin\\report.exe\", " + Quoted(Report()) + ", \"exit\", \"two words\"\r\n";
    }

    // `vexa setup make --for native` with the built installer and uninstall program.
    std::string MakeSetup(const std::string& script, const std::vector<std::string>& parts) {
        WriteFile(Part("Script.TXT"), script);
        std::string setup = (dir_.path() / "Setup").string();
        std::vector<std::string> command{VEXA_PROGRAM, "setup", "make", "--for", "native", "--installer",
                                         VEXA_INSTALL_PROGRAM};
#ifdef VEXA_UNINSTALL_PROGRAM
        command.insert(command.end(), {"--uninstaller", VEXA_UNINSTALL_PROGRAM});
#else
        command.push_back("--no-uninstall");
#endif
        command.insert(command.end(), {setup, Part("Script.TXT")});
        for (const std::string& part : parts) command.push_back(Part(part));
        ChildProcess vexa(command);
        EXPECT_EQ(vexa.Finish(), 0) << vexa.Output();
        return setup;
    }
    std::string RoundTripSetup(bool withGuide = true) {
        return MakeSetup(RoundTripScript(withGuide), {"Lib.cab", "Server.cab", "Prog.cab", "Tools.cab"});
    }

    std::unique_ptr<ChildProcess> Start(const std::string& program, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), program);
        return std::make_unique<ChildProcess>(arguments, std::vector<std::string>{"VEXA_SERVER_LOG=" + ServerLog()});
    }
    Outcome Install(const std::string& setup, const std::vector<std::string>& arguments, const std::string& input = {}) {
        auto run = Start(setup, arguments);
        int status = run->Finish(input);
        return {status, run->Output()};
    }

    std::string Installed(const std::string& path = {}) const {
        fs::path folder = destination_ / kFolder;
        return (path.empty() ? folder : folder / path).string();
    }
    std::string Report() const { return (dir_.path() / "report.txt").string(); }
    std::string ServerLog() const { return (dir_.path() / "server.log").string(); }
    fs::path System(const std::string& name) const {
        return fs::path(machine_.Get().shell.FolderPath(SpecialFolder::System)) / name;
    }
    fs::path Group(const std::string& path = {}) const {
        return fs::path(machine_.Get().shell.FolderPath(SpecialFolder::Programs)) / kFolder / path;
    }
    std::optional<std::string> Value(std::string_view key, const std::string& name) const {
        auto levels = SplitRegistryPath(key);
        levels.push_back(kProduct);
        return machine_.Get().registry.ReadString(RegistryRoot::LocalMachine, levels, name);
    }
    // lnkinfo's value of `field` for the link.
    static std::string LinkField(const fs::path& link, const std::string& field) {
        ChildProcess lnkinfo({VEXA_LNKINFO, link.string()});
        lnkinfo.Finish();
        const std::string& said = lnkinfo.Output();
        std::size_t at = said.find("\t" + field);
        if (at == std::string::npos) return "(no " + field + ")";
        std::size_t value = said.find(": ", at) + 2;
        return said.substr(value, said.find('\n', value) - value);
    }

    TempDir dir_;
    fs::path destination_ = dir_.path() / "apps";
    mutable NativePlatform machine_;
};

TEST_F(SetupProgram, InstallsFilesComponentsShortcutsAndRecordsThenRunsTheProgram) {
    Outcome run = Install(RoundTripSetup(), {"--yes", "--dest", destination_.string()});
    EXPECT_EQ(run.status, 0) << run.output;
    for (const std::string& line : {"Program Name: " + kProduct, "Destination Folder: " + Installed() + "/",
                                    "Program Group: " + kFolder, std::string("Installing PROG.CAB"),
                                    std::string("Installing TOOLS.CAB"), std::string(kInstallationCompleted),
                                    std::string(kCaption) + ": " + kDoneMessage})
        EXPECT_NE(run.output.find(line + "\n"), std::string::npos) << line << "\n" << run.output;

    EXPECT_EQ(ReadFile(Installed("readme.txt")), "read me\r\n");
    EXPECT_EQ(ReadFile(Installed("docs/guide.txt")), "the guide\r\n");
    EXPECT_EQ(ReadFile(Installed("bin/report.exe")), ReadFile(VEXA_PROCESS_FIXTURE));
    EXPECT_EQ(ReadFile(System("vxtest.dll")), ReadFile(VEXA_VERSIONED_DLL));
    EXPECT_EQ(ReadFile(System("vxserver.ocx")), ReadFile(VEXA_SERVER_DLL));
    EXPECT_EQ(ReadFile(ServerLog()), "DllRegisterServer\n");

    EXPECT_EQ(LinkField(Group("Read Me.LNK"), "Local path"), Installed("readme.txt"));
    EXPECT_EQ(LinkField(Group("Read Me.LNK"), "Description"), "Read Me");
    EXPECT_EQ(LinkField(Group("Tools/Report.LNK"), "Local path"), Installed("bin/report.exe"));
    EXPECT_EQ(LinkField(Group("Tools/Report.LNK"), "Working directory"), Installed("bin"));

    EXPECT_EQ(Value(kInstalledProgramsKey, "Directory"), Installed() + "/");
    // The program starts without being waited for.
    for (int i = 0; i < 100 && !fs::exists(Report()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string report = ReadFile(Report());
    EXPECT_TRUE(report.ends_with("\ntwo words\n")) << report;
#ifdef VEXA_UNINSTALL_PROGRAM
    EXPECT_EQ(Value(kUninstallKey, "DisplayName"), kProduct);
    EXPECT_EQ(Value(kUninstallKey, "UninstallString"), Quoted(Installed("Uninstall/Uninstall.EXE")));
#endif
}

#ifdef VEXA_UNINSTALL_PROGRAM
// Installing again asks, removes what the first installation left (the folder it emptied
// too) and installs afresh; the uninstall program then leaves nothing of the product.
TEST_F(SetupProgram, InstallsAgainOverThePreviousInstallationAndUninstalls) {
    ASSERT_EQ(Install(RoundTripSetup(), {"--yes", "--dest", destination_.string()}).status, 0);
    fs::remove(Report());
    Outcome again = Install(RoundTripSetup(false), {}, "y\ny\n");
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_NE(again.output.find(std::string(kPreviousFound)), std::string::npos) << again.output;
    EXPECT_NE(again.output.find(std::string(kRemovingPrevious) + "\n"), std::string::npos) << again.output;
    EXPECT_FALSE(fs::exists(Installed("docs"))) << "the folder the new cabinet no longer fills";
    EXPECT_TRUE(fs::exists(Installed("readme.txt")));
    EXPECT_TRUE(fs::exists(Group("Tools/Report.LNK")));

    Outcome removal = Install(Installed("Uninstall/Uninstall.EXE"), {"--yes"});
    EXPECT_EQ(removal.status, 0) << removal.output;
    EXPECT_FALSE(fs::exists(Installed())) << removal.output;
    EXPECT_FALSE(fs::exists(Group())) << removal.output;
    EXPECT_EQ(Value(kInstalledProgramsKey, "Directory"), std::nullopt);
    EXPECT_EQ(Value(kUninstallKey, "DisplayName"), std::nullopt);
}
#endif

// The options answer for an unattended run; a wrong password is asked again on the
// terminal, and no answer ends the program.
TEST_F(SetupProgram, OptionsAnswerThePasswordAndTheQuestions) {
    WriteFile(Part("readme.txt"), "read me\r\n");
    std::string prog = Cabinet("Prog.cab", {{Part("readme.txt"), "readme.txt"}});
    std::string setup = MakeSetup("SetProductName " + Quoted(kProduct) + "\r\nSetProductDirectory \"C:\\" + kFolder +
                                      "\"\r\nSetPassword " + Quoted(MakePasswordSetting("open sesame")) + "\r\n" +
                                      ProgramLine(prog),
                                  {"Prog.cab"});
    const std::string dest = destination_.string();
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string said;
    } kCases[] = {
        {{"--yes", "--dest", dest, "--password", "open sesame"}, "", 0, std::string(kInstallationCompleted)},
        {{"--dest", dest, "--password", "wrong"}, "open sesame\ny\n", 0, std::string(kWrongPassword)},
        {{"--yes", "--dest", dest, "--password", "wrong"}, "", 1, std::string(kWrongPassword)},
        {{"--dest", dest}, "open sesame\n", 1, "Install? [y/N] \n"},
        {{"--dest"}, "", 2, "--dest"},
        {{"--dest", ""}, "", 2, "--dest"},
        {{"extra"}, "", 2, "extra"},
        {{"--help"}, "", 0, "--password TEXT"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        fs::remove_all(destination_);
        Outcome run = Install(setup, c.arguments, c.input);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
        EXPECT_EQ(fs::exists(Installed("readme.txt")), c.status == 0 && c.arguments[0] != "--help");
    }
}

// A library the system will not let go (here read-only) is replaced at the next restart:
// the installation ends with the restart question, and the program is not started.
TEST_F(SetupProgram, LibraryInUseEndsWithTheRestartQuestionAndAPendingReplacement) {
    std::string setup = RoundTripSetup();
    fs::create_directories(System(""));
    fs::copy_file(VEXA_UNVERSIONED_DLL, System("vxtest.dll"));
    fs::permissions(System("vxtest.dll"), fs::perms::owner_read | fs::perms::group_read);
    Outcome run = Install(setup, {"--dest", destination_.string()}, "y\nn\n");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(std::string(kRebootQuestion)), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(std::string(kInstallationCompleted)), std::string::npos) << run.output;
    EXPECT_EQ(ReadFile(System("vxtest.dll")), ReadFile(VEXA_UNVERSIONED_DLL));
    EXPECT_FALSE(fs::exists(Report()));

    ChildProcess restart({VEXA_PROGRAM, "restart"});
    EXPECT_EQ(restart.Finish(), 0);
    EXPECT_NE(restart.Output().find("pending: replace " + System("vxtest.dll").string() + " with "), std::string::npos)
        << restart.Output();
    EXPECT_NE(restart.Output().find("restart requested: no"), std::string::npos) << restart.Output();
}

// Ctrl+C pauses after the running line and asks: No goes on, Yes stops before the next
// line and leaves what was installed.
TEST_F(SetupProgram, CtrlCPausesBetweenLinesAndCancelsOnYes) {
    std::string script = "SetProductName " + Quoted(kProduct) + "\r\nSetProductDirectory \"<ProgramFilesDir>\\" +
                         kFolder + "\"\r\n";
    std::vector<std::string> parts;
    for (int i = 1; i <= 4; ++i) {
        std::string name = "Big" + std::to_string(i);
        script += ProgramLine(Cabinet(name + ".cab", {{TextFile(name + ".txt", 40'000'000), name + ".txt"}}));
        parts.push_back(name + ".cab");
    }
    auto run = Start(MakeSetup(script, parts), {"--dest", destination_.string()});
    run->Write("y\n");
    std::string question = std::string(kCaption) + ": " + std::string(kCancelQuestion);
    ASSERT_TRUE(run->ReadUntil("Installing BIG1.CAB")) << run->Output();
    run->Signal(SIGINT);
    ASSERT_TRUE(run->ReadUntil(question)) << run->Output();
    run->Write("n\n");
    ASSERT_TRUE(run->ReadUntil("Installing BIG2.CAB")) << run->Output();
    run->Signal(SIGINT);
    ASSERT_TRUE(run->ReadUntil(question, 2)) << run->Output();
    EXPECT_EQ(run->Finish("y\n"), 1) << run->Output();
    const std::string& said = run->Output();
    EXPECT_NE(said.find(std::string(kCancelling)), std::string::npos) << said;
    EXPECT_EQ(said.find(std::string(kInstallationCompleted)), std::string::npos) << said;
    EXPECT_EQ(said.find("Installing BIG4.CAB"), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(Installed("Big1.txt")));
    EXPECT_TRUE(fs::exists(Installed("Big2.txt")));
    EXPECT_FALSE(fs::exists(Installed("Big4.txt")));
    EXPECT_EQ(Value(kInstalledProgramsKey, "Directory"), std::nullopt);
}

}  // namespace
}  // namespace vexa::installer
