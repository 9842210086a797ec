// `vexa wizard build`: the steps' checks and the build's failures as the toolbox reports
// them. Builds that succeed are played end to end in tests/e2e.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

// A JSON string.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

class VexaWizard : public ::testing::Test {
protected:
    VexaWizard() {
        fs::copy(VEXA_WIZARD_SHARE_DIR, dir_ / "wizard", fs::copy_options::recursive | fs::copy_options::create_hard_links);
        fs::create_directories(dir_ / "prog" / "data");
        std::ofstream(dir_ / "prog" / "run.exe") << "MZ program";
        std::ofstream(dir_ / "prog" / "data" / "notes.txt") << "notes";
    }
    Outcome Build(std::vector<std::string> options, const std::string& program = {}) {
        std::vector<std::string> arguments{"wizard", "build", program.empty() ? (dir_ / "prog").string() : program,
                                           "--wizard-dir", (dir_ / "wizard").string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Vexa(arguments);
    }
    TempDir temp_;
    const fs::path dir_ = temp_.path();
};

TEST_F(VexaWizard, BadOptionsAreRefusedAndHeldStepsSayWhy) {
    fs::create_directories(dir_ / "data-only");
    std::ofstream(dir_ / "data-only" / "a.txt") << "x";
    const struct {
        std::vector<std::string> options;
        std::string program;
        int status;
        std::string says;
    } cases[] = {
        {{}, (dir_ / "missing").string(), 2, "no such directory"},
        {{"--single-cab", "--multi-cab"}, "", 2, "--single-cab and --multi-cab exclude each other"},
        {{"--exe", "data/notes.txt"}, "", 2, "data/notes.txt: not one of the program's selected EXE files"},
        {{}, (dir_ / "data-only").string(), 1, "does not contain any EXE files"},
        {{"--exclude", "*.exe"}, "", 1, "you must select at least one file and at least one of the files you select"},
        {{"--web-site", " "}, "", 2, "empty"},
        {{"--page", "my page.htm", "--yes"}, "", 1, "The resultant HTML filename cannot contain spaces."},
        {{"--ocx", (dir_ / "prog" / "run.exe").string()}, "", 1, "is not a registered OCX/DLL file"},
    };
    for (const auto& c : cases) {
        Outcome outcome = Build(c.options, c.program);
        EXPECT_EQ(outcome.status, c.status) << outcome.output;
        EXPECT_TRUE(Says(outcome, c.says)) << outcome.output;
    }
    EXPECT_FALSE(fs::exists(dir_ / "prog" / "VexaWizardWebExpressProject" / "Release" / "run.htm"));
}

TEST_F(VexaWizard, AnEarlierReleaseIsReplacedOnlyWhenTheQuestionIsAnswered) {
    const std::string library = (dir_ / "lib.dll").string();
    std::ofstream(library) << "a library";
    Outcome first = Build({"--web-site", "http://site.test/", "--dll", library});
    ASSERT_EQ(first.status, 0) << first.output;
    const fs::path activeX = dir_ / "prog" / "VexaWizardWebExpressProject" / "ReleaseActiveX";
    EXPECT_TRUE(fs::exists(activeX / "lib.Cab"));
    EXPECT_TRUE(Says(first, "Done!\nSuccessfully converted the program: \nrun.exe\n")) << first.output;
    const fs::path page = dir_ / "prog" / "VexaWizardWebExpressProject" / "Release" / "run.htm";
    ASSERT_TRUE(fs::exists(page));

    // No terminal answers: the release stays as it was.
    Outcome again = Build({});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(Says(again, "Continuing will delete all the current files in the Release directories")) << again.output;
    EXPECT_TRUE(Says(again, "--yes answers Yes")) << again.output;
    EXPECT_TRUE(fs::exists(page));

    // The saved answers serve the next build; a saved component can be dropped.
    Outcome yes = Build({"--yes", "--drop", library});
    EXPECT_EQ(yes.status, 0) << yes.output;
    EXPECT_TRUE(Says(yes, "http://site.test/run/")) << yes.output;
    EXPECT_FALSE(fs::exists(activeX / "lib.Cab"));
    EXPECT_TRUE(fs::exists(activeX / "VexaLoad.cab"));
}

// The steps as prompts on a terminal: Enter keeps what the wizard filled in, "<" goes back,
// and the messages show where the window would show them.
TEST_F(VexaWizard, OnATerminalTheStepsArePromptsThatGoBackAndOn) {
    const std::vector<std::pair<std::string, std::string>> dialogue = {
        {"Enter: next, q: quit >", ""},
        {"Type the URL of your web site: [", "<"},
        {"VexaWeb Express Wizard - Introduction", ""},
        {"Type the URL of your web site: [", "http://site.test"},
        {"Enter: next >", "-*.txt"},
        {"1 of 2 files selected, 1 of them EXE files", ""},
        {"(its number): ", "1"},
        {"Exe Parameters (if any): [", ""},
        {"publish the resultant web page program: [http://site.test/run/]", ""},
        {"stored on your web site: [http://site.test/ActiveX/]", ""},
        {"Enter: next >", "remove-ocx 1"},
        {"(the loader control stays in the list)", ""},
        {"Type the name of the resultant HTML page: [run.htm]", "my page.htm"},
        {"HTML file: [", ""},
        {"web program: [", ""},
        {"Minimize Download Time (y/n): [y]", "n"},
        {"an empty line ends): ", ""},
        {"Enter: Finish, <: back, q: quit >", ""},
        {"The resultant HTML filename cannot contain spaces.", "page.htm"},
        {"HTML file: [", ""},
        {"web program: [", ""},
        {"Minimize Download Time (y/n): [n]", ""},
        {"an empty line ends): ", ""},
        {"Enter: Finish, <: back, q: quit >", ""},
    };
    std::string json = "[";
    for (const auto& [expected, answer] : dialogue) json += (json.size() > 1 ? ",[" : "[") + Quoted(expected) + "," + Quoted(answer) + "]";
    std::ofstream(dir_ / "dialogue.json") << json << "]";
    test::ChildProcess session({"/usr/bin/python3", VEXA_PTY_SESSION, (dir_ / "dialogue.json").string(), "--",
                                VEXA_PROGRAM, "wizard", (dir_ / "prog").string(), "--wizard-dir",
                                (dir_ / "wizard").string()});
    EXPECT_EQ(session.Finish(), 0) << session.Output();
    const std::string shown = session.Output();
    for (const char* step : {"- Step 2", "- Step 3", "- Step 4", "- Step 5", "- Final Step", "Done!",
                             "Successfully converted the program: \nrun.exe\n"})
        EXPECT_NE(shown.find(step), std::string::npos) << step << "\n" << shown;
    const fs::path release = dir_ / "prog" / "VexaWizardWebExpressProject" / "Release";
    EXPECT_TRUE(fs::exists(release / "page.htm"));
    EXPECT_TRUE(fs::exists(release / "Prog1.cab"));
}

}  // namespace
}  // namespace vexa::testing
