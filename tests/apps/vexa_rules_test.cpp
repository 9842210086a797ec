// The rules every vexa command keeps, run as processes: an empty argument is refused, the exit
// status means the same everywhere, output that cannot be written fails, and the machine's
// prefix is made only by a command that needs it.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

using Arguments = std::vector<std::string>;

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

// vexa with `arguments` and the environment entries before ours.
Outcome VexaWith(const std::vector<std::string>& environment, Arguments arguments) {
    arguments.insert(arguments.begin(), VEXA_PROGRAM);
    test::ChildProcess vexa(arguments, environment);
    int status = vexa.Finish();
    return {status, vexa.Output()};
}

std::string Joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) text += "[" + argument + "] ";
    return text;
}

// A long signature of the file, made by vexa itself.
std::string SignatureOf(const std::string& path) {
    Outcome made = Vexa({"sig", "make", path});
    return made.output.substr(0, made.output.find(' '));
}

TEST(VexaRules, AnEmptyOrBlankArgumentIsRefusedByEveryCommandBeforeItTouchesTheMachine) {
    TempDir dir;
    const std::string prefix = dir / "prefix";
    struct Case {
        Arguments arguments;
        std::string named;
    };
    const Case cases[] = {
        {{"cab", "expand", dir / "a.cab", ""}, "DIR"},
        {{"cab", "expand", "", dir / "out"}, "CAB"},
        {{"cab", "expand", dir / "a.cab", dir / "out", "--overwrite", ""}, "--overwrite"},
        {{"cab", "list", " "}, "CAB"},
        {{"cab", "make", "", dir / "f"}, "OUT"},
        {{"cab", "make", dir / "o.cab", dir / "f", ""}, "FILE"},
        {{"cab", "make", dir / "o.cab", "--from-dir", "\t"}, "--from-dir"},
        {{"cab", "make", dir / "o.cab", dir / "f", "--reserve", ""}, "--reserve"},
        {{"cab", "sfx", dir / "a.cab", ""}, "OUT"},
        {{"cab", "split", "", "2"}, "FILE"},
        {{"cab", "join", dir / "f", ""}, "N"},
        {{"sig", "make", dir / "f", ""}, "FILE"},
        {{"sig", "verify", "", "1-00"}, "FILE"},
        {{"sig", "verify", dir / "f", " "}, "SIG"},
        {{"sig", "short", ""}, "LONG"},
        {{"script", "check", ""}, "FILE"},
        {{"script", "check", dir / "s.txt", "--page-url", " "}, "--page-url"},
        {{"fetch", "", dir.path().string()}, "URL"},
        {{"fetch", "http://127.0.0.1/a.cab", ""}, "DIR"},
        {{"load", ""}, "PAGE-URL"},
        {{"load", "http://127.0.0.1/p.htm", "--trust", ""}, "--trust"},
        {{"event", "send", "", "GOTO URL"}, "HWND"},
        {{"event", "send", "1", ""}, "NAME[?TEXT]"},
        {{"call", ""}, "PROGID"},
    };
    for (const Case& c : cases) {
        Outcome refused = VexaWith({"VEXA_PREFIX=" + prefix}, c.arguments);
        EXPECT_EQ(refused.status, 2) << Joined(c.arguments) << refused.output;
        EXPECT_TRUE(Says(refused, c.named + ": must not be empty")) << Joined(c.arguments) << refused.output;
        EXPECT_FALSE(fs::exists(prefix)) << Joined(c.arguments);
    }
}

TEST(VexaRules, TextsThatMayBeEmptyAreTaken) {
    const std::string script = std::string(VEXA_SOURCE_DIR) + "/samples/Script.txt";
    Outcome checked = Vexa({"script", "check", script, "--default-url", ""});
    EXPECT_EQ(checked.status, 0) << checked.output;
    // A control's text parameter, as vexa call passes it.
    Outcome called = Vexa({"call", "VEXACB.VexaCBCtrl.1", "ReplaceStringAllOccurrences", "", "a", "b"});
    EXPECT_EQ(called.status, 0) << called.output;
    EXPECT_EQ(called.output, "\n");
}

TEST(VexaRules, EveryCommandGivesTheSameMeaningToItsExitStatus) {
    TempDir dir;
    WriteFile(dir / "f", "some bytes");
    WriteFile(dir / "not a script.txt", "hello\n");
    fs::create_directories(dir / "out");
    const std::string signature = SignatureOf(dir / "f");
    ASSERT_EQ(signature.size(), 90u) << signature;
    std::string other = signature;
    other.back() = other.back() == '0' ? '1' : '0';
    std::string upper = signature;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string script = std::string(VEXA_SOURCE_DIR) + "/samples/Script.txt";

    struct Case {
        Arguments arguments;
        int status;
        std::string said;
    };
    const Case cases[] = {
        {{"sig", "verify", dir / "f", signature + " ' a remark"}, 0, "OK"},
        {{"sig", "verify", dir / "f", other}, 1, "does not match"},
        {{"sig", "verify", dir / "f", "1-00ff"}, 2, "not a long signature"},
        {{"sig", "verify", dir / "f", "1" + upper.substr(1)}, 2, "not a long signature"},
        {{"sig", "verify", dir / "missing", signature}, 2, "no such file"},
        {{"sig", "short", signature}, 0, "-"},
        {{"sig", "short", "garbage"}, 2, "not a long signature"},
        {{"sig", "make", dir / "missing"}, 2, "no such file"},
        {{"script", "check", dir / "not a script.txt"}, 1, "Invalid script file."},
        {{"script", "check", dir / "missing.txt"}, 2, "no such file"},
        {{"script", "check", script, "--page-url", "no address"}, 2, "is not a URL"},
        {{"event", "send", "1", "GOTO URL?" + std::string(300, 'x')}, 2, "1 to 255 characters"},
        {{"call", "NO.Such.1"}, 2, "no control"},
        {{"call", "VEXACB.VexaCBCtrl.1", "NoMethod"}, 2, "has no method"},
        {{"call", "VEXACB.VexaCBCtrl.1", "IsFile"}, 2, "takes 1 arguments"},
        // No cabinet was opened: the job ends at once in its error event.
        {{"call", "VEXACB.VexaCBCtrl.1", "ExpandCabFile", dir / "out"}, 1, "ExpandCabError("},
        {{"restart"}, 0, "no replacements pending"},
        {{"cab"}, 2, "subcommand"},
    };
    for (const Case& c : cases) {
        Outcome outcome = Vexa(c.arguments);
        EXPECT_EQ(outcome.status, c.status) << Joined(c.arguments) << outcome.output;
        EXPECT_TRUE(Says(outcome, c.said)) << Joined(c.arguments) << outcome.output;
    }
}

TEST(VexaRules, OutputThatCannotBeWrittenFailsTheCommand) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    WriteFile(dir / "f", "some bytes");
    for (const Arguments& arguments : {Arguments{"sig", "make", dir / "f"}, Arguments{"--help"}, Arguments{"restart"}}) {
        Arguments shell = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", VEXA_PROGRAM};
        shell.insert(shell.end(), arguments.begin(), arguments.end());
        test::ChildProcess vexa(shell);
        int status = vexa.Finish();
        EXPECT_EQ(status, 1) << Joined(arguments) << vexa.Output();
        EXPECT_NE(vexa.Output().find("the output cannot be written: No space left on device"), std::string::npos)
            << Joined(arguments) << vexa.Output();
    }
}

TEST(VexaRules, HelpVersionAndFileCommandsLeaveNoPrefixAndEveryHelpStatesTheExitRule) {
    TempDir dir;
    const std::string prefix = dir / "prefix";
    const Arguments commands[] = {
        {},
        {"sig"},
        {"sig", "make"},
        {"sig", "verify"},
        {"sig", "short"},
        {"script", "check"},
        {"cab"},
        {"cab", "make"},
        {"cab", "list"},
        {"cab", "expand"},
        {"cab", "split"},
        {"cab", "join"},
        {"cab", "sfx"},
        {"call"},
        {"fetch"},
        {"load"},
        {"cache"},
        {"cache", "list"},
        {"cache", "housekeep"},
        {"cache", "clear"},
        {"event", "send"},
        {"restart"},
    };
    for (Arguments arguments : commands) {
        arguments.push_back("--help");
        Outcome help = VexaWith({"VEXA_PREFIX=" + prefix}, arguments);
        EXPECT_EQ(help.status, 0) << Joined(arguments) << help.output;
        EXPECT_TRUE(Says(help, "Exit status: 0 done; 1 the job failed")) << Joined(arguments) << help.output;
    }
    EXPECT_EQ(VexaWith({"VEXA_PREFIX=" + prefix}, {"--version"}).status, 0);
    EXPECT_EQ(VexaWith({"VEXA_PREFIX=" + prefix}, {"cache"}).status, 2);  // no sub-command
    // Commands that only read files need no machine either.
    WriteFile(dir / "file.txt", "text");
    EXPECT_EQ(VexaWith({"VEXA_PREFIX=" + prefix}, {"sig", "make", dir / "file.txt"}).status, 0);
    EXPECT_EQ(VexaWith({"VEXA_PREFIX=" + prefix}, {"script", "check", dir / "file.txt"}).status, 1);
    EXPECT_FALSE(fs::exists(prefix));

    // A command that needs the machine makes it.
    EXPECT_EQ(VexaWith({"VEXA_PREFIX=" + prefix}, {"cache", "list"}).status, 0);
    EXPECT_TRUE(fs::exists(fs::path(prefix) / "registry.sqlite3"));
}

TEST(VexaRules, AnEmptyPrefixIsBadInputAndNoMachineIsMadeElsewhere) {
    TempDir dir;
    for (const std::string& value : {std::string(), std::string("  ")}) {
        Outcome refused = VexaWith({"VEXA_PREFIX=" + value, "HOME=" + dir.path().string()}, {"cache", "list"});
        EXPECT_EQ(refused.status, 2) << "[" << value << "] " << refused.output;
        EXPECT_TRUE(Says(refused, "VEXA_PREFIX is set but empty")) << refused.output;
        EXPECT_FALSE(fs::exists(fs::path(value) / "registry.sqlite3")) << "[" << value << "]";  // nor the current folder
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));  // not the default prefix under HOME
}

TEST(VexaRules, CtrlCCancelsACommandWithTheStatusOfACancelledJob) {
    TempDir dir;
    WriteFile(dir / "a.txt", "new");
    ASSERT_EQ(Vexa({"cab", "make", dir / "a.cab", dir / "a.txt"}).status, 0);
    fs::create_directories(dir / "out");
    WriteFile(dir / "out/a.txt", "old");

    // Asked whether to overwrite, the user presses Ctrl-C instead of answering.
    test::ChildProcess vexa({VEXA_PROGRAM, "cab", "expand", dir / "a.cab", dir / "out"});
    ASSERT_TRUE(vexa.ReadUntil("overwrite")) << vexa.Output();
    vexa.Signal(SIGINT);
    EXPECT_EQ(vexa.Finish(), 1) << vexa.Output();
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "old");
}

// A make interrupted in the middle cancels, and its cancel removes what it wrote: the
// cabinet beside its place and the spools in the temporary folder.
TEST(VexaRules, CtrlCDuringAMakeLeavesNothingOfIt) {
    TempDir dir;
    fs::create_directories(dir / "tmp");
    WriteFile(dir / "big.bin", test::RandomBytes(40'000'000, 7));
    test::ChildProcess vexa({VEXA_PROGRAM, "cab", "make", dir / "out.cab", dir / "big.bin"},
                            {"TMPDIR=" + (dir / "tmp")});
    ASSERT_TRUE(vexa.ReadUntil("adding")) << vexa.Output();
    vexa.Signal(SIGINT);
    EXPECT_EQ(vexa.Finish(), 1) << vexa.Output();
    EXPECT_NE(vexa.Output().find("interrupted"), std::string::npos) << vexa.Output();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);  // big.bin and tmp
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

}  // namespace
}  // namespace vexa::testing
