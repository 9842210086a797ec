#include "loader/execution.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/format_path.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_files.hpp"
#include "platform/fake/fake_processes.hpp"
#include "platform/fake/fake_registry.hpp"
#include "platform/fake/fake_shell.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::loader {
namespace {


// "a/b" with the system's separator.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kNativeSeparator);
    return path;
}

const std::string kProduct = Native("temp/~pr1/");
const std::string kProgram = kProduct + "Game.exe";
const ScriptLines kScript = {R"(Execute "<ProductDirectory>\Game.exe", "-x", "a b")", R"(SetExeWindowTitle "Game")"};
constexpr WindowHandle kParent = 77;
constexpr WindowHandle kBrowser = 55;
constexpr Rect kControl{10, 20, 210, 170};

class FakeSite final : public ControlSite {
public:
    WindowHandle EmbeddingParent() override { return kParent; }
    Rect ControlRect() override { return kControl; }
    WindowHandle BrowserWindow() override { return kBrowser; }
    bool HasBorder() override { return border; }
    void Repaint() override {}

    bool border = true;
};

TopLevelWindow Shown(std::string caption, Rect rect = {0, 0, 640, 480}, bool visible = true) {
    return {0, visible, rect, std::move(caption)};
}

class ProgramExecutionTest : public ::testing::Test {
protected:
    void SetUp() override { processes_.ShowWindows(kProgram, {Shown("Splash", {}), Shown("game")}); }

    std::string Start() { return execution_.StartScriptProgram(kScript, kProduct); }
    FakeProcesses::FakeWindow& ProgramWindow() { return processes_.Window(processes_.LastProcessWindow()); }
    std::string Link(const std::string& parameter) { return execution_.Cmd("CreateTempLnkFile", parameter); }

    testing::TempDir dir_;
    FakeProcesses processes_;
    FakeFiles files_;
    FakeClock clock_{1000};
    FakeShell shell_;
    FakeRegistry registry_;
    FakeSite site_;
    LocalCache cache_{files_, clock_, registry_, (dir_.path() / "windows").string()};
    ProgramExecution execution_{{processes_, files_, clock_, shell_, registry_}, site_, cache_};
};

TEST(FindExecuteLine, TakesTheFirstLineStartingInTheProductDirectory) {
    struct Case {
        ScriptLines lines;
        std::optional<std::string> program;  // relative to the product directory
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {{R"(execute "<productdirectory>\bin\Game.exe", "-a", "b c")"}, "bin/Game.exe", {"-a", "b c"}},
        {{R"(Execute "C:\Other.exe")", R"(ExecuteInSeparateWindow "<ProductDirectory>Tool.exe")",
          R"(Execute "<ProductDirectory>\Late.exe")"},
         "Tool.exe",
         {}},
        {{R"(Execute "<ProductDirectory>\\sub/Game.exe")"}, "sub/Game.exe", {}},
        {{R"(' Execute "<ProductDirectory>\Game.exe")", R"(InstallProgram "<ProductDirectory>\Game.exe")",
          R"(Execute "Game.exe <ProductDirectory>")"},
         std::nullopt,
         {}},
    };
    for (const Case& c : cases) {
        auto found = FindExecuteLine(c.lines, kProduct);
        ASSERT_EQ(found.has_value(), c.program.has_value()) << c.lines[0];
        if (!found) continue;
        EXPECT_EQ(found->program, kProduct + Native(*c.program)) << c.lines[0];
        EXPECT_EQ(found->arguments, c.arguments) << c.lines[0];
    }
    // A product directory without its final separator still gets exactly one.
    EXPECT_EQ(FindExecuteLine(kScript, Native("temp/~pr1"))->program, kProgram);
}

TEST(ArgumentText, QuotesArgumentsWithBlanksAndTrimsTheWhole) {
    struct Case {
        std::vector<std::string> arguments;
        std::string text;
    };
    const Case cases[] = {
        {{"-x", "two words"}, R"(-x "two words")"},
        {{"bare"}, "bare"},
        {{"", "x", ""}, "x"},
        {{" lead"}, R"(" lead")"},
        {{}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ArgumentText(c.arguments), c.text) << c.text;
}

TEST(FindThreadWindow, TakesTheFirstVisibleWindowWithAnAreaAndTheCaption) {
    FakeProcesses processes;
    processes.ShowWindows("p", {Shown("Game", {}, false), Shown("Game", {5, 5, 5, 100}), Shown("Tools"),
                                Shown("GAME"), Shown("Game", {0, 0, 10, 10}, false)});
    std::uint32_t thread = processes.Start("p", "", "", WindowShow::Normal)->thread;
    WindowHandle first = processes.LastProcessWindow() - 4;
    EXPECT_EQ(FindThreadWindow(processes, thread, ""), first + 2);
    EXPECT_EQ(FindThreadWindow(processes, thread, "game"), first + 3);
    EXPECT_EQ(FindThreadWindow(processes, thread, "Missing"), 0u);
    EXPECT_EQ(FindThreadWindow(processes, thread + 1, ""), 0u);
}

TEST_F(ProgramExecutionTest, AnEmbeddedProgramIsStartedInsideTheProductDirectoryAndPlacedOverTheControl) {
    ASSERT_EQ(Start(), "");
    ASSERT_EQ(processes_.Starts().size(), 1u);
    EXPECT_EQ(processes_.Starts()[0].program, kProgram);
    EXPECT_EQ(processes_.Starts()[0].arguments, R"(-x "a b")");
    EXPECT_EQ(processes_.Starts()[0].workingDirectory, kProduct);
    EXPECT_EQ(ProgramWindow().parent, kParent);
    EXPECT_TRUE(execution_.Managed());
    EXPECT_EQ(execution_.CustomVar(), std::to_string(processes_.LastProcess()));

    EXPECT_EQ(execution_.ManageTick(), "");
    EXPECT_EQ(ProgramWindow().placements, (std::vector<Rect>{{14, 24, 206, 166}}));
    site_.border = false;
    execution_.ManageTick();
    EXPECT_EQ(ProgramWindow().placements.back(), kControl);
}

TEST_F(ProgramExecutionTest, StartOnlyLeavesTheWindowAloneAndDoesNotRestartIt) {
    execution_.SetExecuteType(kStartOnly);
    ASSERT_EQ(Start(), "");
    EXPECT_EQ(ProgramWindow().parent, 0u);
    EXPECT_FALSE(execution_.Managed());
    EXPECT_EQ(execution_.CustomVar(), std::to_string(processes_.LastProcess()));

    processes_.Exit(processes_.LastProcess());
    execution_.ManageTick();
    EXPECT_EQ(processes_.Starts().size(), 1u);
    EXPECT_TRUE(ProgramWindow().placements.empty());
}

TEST_F(ProgramExecutionTest, AScriptWithoutAProgramSucceedsWithNothingStarted) {
    EXPECT_EQ(execution_.StartScriptProgram({R"(SetExeWindowTitle "Game")"}, kProduct), "");
    EXPECT_TRUE(processes_.Starts().empty());
    EXPECT_FALSE(execution_.Managed());
}

TEST_F(ProgramExecutionTest, AFailedStartNamesTheProgram) {
    processes_.FailToStart(kProgram);
    EXPECT_EQ(Start(), "Cannot execute program specified in script: " + kProgram);
    EXPECT_EQ(execution_.StartScriptProgram(kScript, ""),
              "Cannot execute program specified in script: " + Native("/Game.exe"));
}

TEST_F(ProgramExecutionTest, AManagedProgramThatEndsIsStartedAgainWithinOneTick) {
    ASSERT_EQ(Start(), "");
    WindowHandle before = processes_.LastProcessWindow();
    processes_.Exit(processes_.LastProcess());
    EXPECT_EQ(execution_.ManageTick(), "");
    ASSERT_EQ(processes_.Starts().size(), 2u);
    EXPECT_EQ(processes_.Starts()[1].arguments, processes_.Starts()[0].arguments);
    EXPECT_NE(processes_.LastProcessWindow(), before);
    EXPECT_EQ(ProgramWindow().parent, kParent);
    EXPECT_EQ(ProgramWindow().placements.size(), 1u);

    processes_.FailToStart(kProgram);
    processes_.Exit(processes_.LastProcess());
    EXPECT_EQ(execution_.ManageTick(), "Cannot execute program specified in script.");
    EXPECT_FALSE(execution_.Managed());
}

TEST_F(ProgramExecutionTest, AWindowThatAppearsLateIsFoundEmbeddedAndPlaced) {
    processes_.ShowWindows(kProgram, {Shown("Game", {0, 0, 640, 480}, false)});
    ASSERT_EQ(Start(), "");
    EXPECT_EQ(ProgramWindow().parent, 0u);
    execution_.ManageTick();
    EXPECT_TRUE(ProgramWindow().placements.empty());

    ProgramWindow().info.visible = true;
    execution_.ManageTick();
    EXPECT_EQ(ProgramWindow().parent, kParent);
    EXPECT_EQ(ProgramWindow().placements.size(), 1u);
}

TEST_F(ProgramExecutionTest, AMinimisedWindowIsRestoredAndPlacedOnlyAtTheNextTick) {
    ASSERT_EQ(Start(), "");
    ProgramWindow().minimised = true;
    execution_.ManageTick();
    EXPECT_FALSE(ProgramWindow().minimised);
    EXPECT_TRUE(ProgramWindow().placements.empty());
    execution_.ManageTick();
    EXPECT_EQ(ProgramWindow().placements.size(), 1u);
}

TEST_F(ProgramExecutionTest, TheBrowserIsRaisedWhenTheProgramBecomesForegroundFromElsewhere) {
    ASSERT_EQ(Start(), "");
    WindowHandle program = processes_.LastProcessWindow();
    auto tickWith = [&](WindowHandle foreground) {
        processes_.SetForeground(foreground);
        execution_.ManageTick();
        return processes_.Raised().size();
    };
    EXPECT_EQ(tickWith(999), 0u);
    EXPECT_EQ(tickWith(program), 1u);
    EXPECT_EQ(processes_.Raised()[0], kBrowser);
    EXPECT_EQ(tickWith(program), 1u);  // still the foreground: not again
    EXPECT_EQ(tickWith(kBrowser), 1u);
    EXPECT_EQ(tickWith(program), 1u);  // from the browser itself: already on top
}

TEST_F(ProgramExecutionTest, ClosingAsksTheProgramFirst) {
    ASSERT_EQ(Start(), "");
    WindowHandle window = processes_.LastProcessWindow();
    execution_.CloseProgram();
    EXPECT_EQ(processes_.ClosesPosted(), std::vector<WindowHandle>{window});
    EXPECT_EQ(processes_.Terminated(), 0u);
    EXPECT_FALSE(execution_.Managed());
    execution_.ManageTick();
    EXPECT_EQ(processes_.Starts().size(), 1u);
}

TEST_F(ProgramExecutionTest, AProgramThatIgnoresTheCloseIsTerminatedAndItsWindowDestroyed) {
    processes_.IgnoreClose(true);
    ASSERT_EQ(Start(), "");
    WindowHandle window = processes_.LastProcessWindow();
    execution_.CloseProgram();
    EXPECT_EQ(processes_.ClosesPosted().size(), 1u);
    EXPECT_EQ(processes_.Terminated(), 1u);
    EXPECT_FALSE(processes_.IsWindow(window));
}

TEST_F(ProgramExecutionTest, TheProgramIsClosedWithTheExecution) {
    {
        ProgramExecution execution{{processes_, files_, clock_, shell_, registry_}, site_, cache_};
        ASSERT_EQ(execution.StartScriptProgram(kScript, kProduct), "");
    }
    EXPECT_EQ(processes_.ClosesPosted().size(), 1u);
    EXPECT_FALSE(processes_.IsActive(processes_.LastProcess()));
}

TEST_F(ProgramExecutionTest, TheBrowserComesBackToTheFrontUnlessStandAlone) {
    execution_.ReturnToBrowser();
    EXPECT_EQ(processes_.ForegroundWindow(), kBrowser);
    processes_.SetForeground(999);
    execution_.SetStandAloneMode(true);
    execution_.ReturnToBrowser();
    EXPECT_EQ(processes_.ForegroundWindow(), 999u);
}

TEST_F(ProgramExecutionTest, TemporaryLinksSplitTheirParameterAtTheLastQuestionMark) {
    struct Case {
        std::string parameter;
        std::string target;
        std::string workingDirectory;
        std::string arguments;
    };
    const Case cases[] = {
        {R"(C:\Apps\Game.exe?-fast mode)", R"(C:\Apps\Game.exe)", R"(C:\Apps\)", "-fast mode"},
        {R"(C:\Apps\Game.exe?)", R"(C:\Apps\Game.exe)", R"(C:\Apps\)", ""},
        {R"(C:\a?b\Game.exe?c)", R"(C:\a?b\Game.exe)", R"(C:\a?b\)", "c"},
        {"-only arguments", "", "", "-only arguments"},
    };
    for (const Case& c : cases) {
        std::string path = execution_.Cmd("createTEMPlnkfile", c.parameter);
        EXPECT_TRUE(path.starts_with(cache_.GetTempFolder())) << path;
        EXPECT_NE(path.find("~vx"), std::string::npos) << path;
        EXPECT_TRUE(files_.Has(path)) << path;
        ASSERT_EQ(shell_.Links().count(path), 1u) << c.parameter;
        const ShellLink& link = shell_.Links().at(path);
        EXPECT_EQ(link.target, c.target) << c.parameter;
        EXPECT_EQ(link.description, "Temp Lnk");
        EXPECT_EQ(link.workingDirectory, c.workingDirectory) << c.parameter;
        EXPECT_EQ(link.arguments, c.arguments) << c.parameter;
    }
    EXPECT_EQ(shell_.Links().size(), std::size(cases));
}

TEST_F(ProgramExecutionTest, TheStartupFolderIsTheShellsValueOrFolderWithASeparatorAndEmptyWhenUnknown) {
    const std::vector<std::string> key = {"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
                                          "Shell Folders"};
    EXPECT_EQ(execution_.Cmd("GetWindowsStartupFolder", ""), "");
    // Without the shell's value, the shell's own folder.
    shell_.SetFolder(SpecialFolder::Startup, Native("prefix/Startup"));
    EXPECT_EQ(execution_.Cmd("GetWindowsStartupFolder", ""), Native("prefix/Startup") + kNativeSeparator);
    std::string folder = Native("home/u/Start Menu/Startup");
    registry_.WriteString(RegistryRoot::CurrentUser, key, "Startup", folder);
    EXPECT_EQ(execution_.Cmd("getwindowsstartupfolder", "ignored"), folder + kNativeSeparator);
    registry_.WriteString(RegistryRoot::CurrentUser, key, "Startup", folder + kNativeSeparator);
    EXPECT_EQ(execution_.Cmd("GetWindowsStartupFolder", ""), folder + kNativeSeparator);
    EXPECT_EQ(execution_.Cmd("NoSuchCommand", "x"), "");
}

TEST_F(ProgramExecutionTest, AlwaysOnTopAppliesToTheNextStartOnly) {
    EXPECT_EQ(execution_.Cmd("ExecuteProgramAsAlwaysOnTop", ""), "");
    ASSERT_EQ(Start(), "");
    EXPECT_TRUE(ProgramWindow().topmost);
    execution_.CloseProgram();
    ASSERT_EQ(Start(), "");
    EXPECT_FALSE(ProgramWindow().topmost);
}

}  // namespace
}  // namespace vexa::loader
