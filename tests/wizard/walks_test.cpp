// Walks through the wizard's steps as a user takes them: after each action, the step, the
// caption's end and what may be pressed.

#include <functional>

#include "tests/wizard/wizard_fixture.hpp"

namespace vexa::wizard::test {
namespace {

struct Move {
    std::string action;
    std::function<void(VexaWebExpress&)> act;
    int step;
    std::string caption;  // after "VexaWeb Express Wizard - "
    bool next, back, finish;
};

struct Walk {
    std::string name;
    std::vector<Move> moves;
};

void Next(VexaWebExpress& w) { w.cmdNext_Click(); }
void Back(VexaWebExpress& w) { w.cmdBack_Click(); }

class Walks : public WizardTest {
protected:
    void Take(const Walk& walk) {
        SCOPED_TRACE(walk.name);
        NewWizard();
        ASSERT_TRUE(Wizard().Start());
        for (const Move& move : walk.moves) {
            SCOPED_TRACE(move.action);
            move.act(Wizard());
            const VexaWebExpress& w = Wizard();
            EXPECT_EQ(w.CurrentStep, move.step);
            EXPECT_EQ(w.Caption, "VexaWeb Express Wizard - " + move.caption);
            EXPECT_EQ(w.enabled.cmdNext, move.next);
            EXPECT_EQ(w.enabled.cmdBack, move.back);
            EXPECT_EQ(w.enabled.cmdFinish, move.finish);
        }
    }
    std::function<void(VexaWebExpress&)> Choose() {
        return [this](VexaWebExpress& w) {
            ui_.Answer(Program());
            w.cmdSelectDirectory_Click();
        };
    }
};

TEST_F(Walks, ThroughTheStepsAndBack) {
    AddProgramFile("My Prog.exe");
    AddProgramFile("data\\a.txt");
    auto set = [](auto field, std::string text) {
        return [field, text](VexaWebExpress& w) { w.*field = text; };
    };
    const Walk walks[] = {
        {"forward to the final step, then back to the start",
         {{"next", Next, 1, "Step 1", false, true, false},
          {"choose the directory", Choose(), 1, "Step 1", true, true, false},
          {"next", Next, 2, "Step 2", true, true, false},
          {"next", Next, 3, "Step 3", true, true, false},
          {"next", Next, 4, "Step 4", true, true, false},
          {"next", Next, 5, "Step 5", true, true, false},
          {"next", Next, 6, "Final Step", false, true, true},
          {"back", Back, 5, "Step 5", true, true, false},
          {"next", Next, 6, "Final Step", false, true, true},
          {"back", Back, 5, "Step 5", true, true, false},
          {"back", Back, 4, "Step 4", true, true, false},
          {"back", Back, 3, "Step 3", true, true, false},
          {"back", Back, 2, "Step 2", true, true, false},
          {"back", Back, 1, "Step 1", true, true, false},
          {"back", Back, 0, "Introduction", true, false, false}}},
        {"a web site of blanks holds step 1",
         {{"next", Next, 1, "Step 1", false, true, false},
          {"choose the directory", Choose(), 1, "Step 1", true, true, false},
          {"blank the web site", set(&VexaWebExpress::txtWebSiteURL, "  "), 1, "Step 1", true, true, false},
          {"next", Next, 1, "Step 1", true, true, false}}},
        {"step 2 wants a checked EXE",
         {{"next", Next, 1, "Step 1", false, true, false},
          {"choose the directory", Choose(), 1, "Step 1", true, true, false},
          {"next", Next, 2, "Step 2", true, true, false},
          {"clear all files", [](VexaWebExpress& w) { w.SelectAllFiles(false); }, 2, "Step 2", false, true, false},
          {"select all files", [](VexaWebExpress& w) { w.SelectAllFiles(true); }, 2, "Step 2", true, true, false},
          {"show the selected only",
           [](VexaWebExpress& w) { w.chkShowSelectedItemsOnly_Click(true); }, 2, "Step 2", true, true, false}}},
        {"step 4 wants both URLs, step 6 a page name",
         {{"next", Next, 1, "Step 1", false, true, false},
          {"choose the directory", Choose(), 1, "Step 1", true, true, false},
          {"next", Next, 2, "Step 2", true, true, false},
          {"next", Next, 3, "Step 3", true, true, false},
          {"next", Next, 4, "Step 4", true, true, false},
          {"blank the ActiveX URL",
           [](VexaWebExpress& w) {
               w.txtActiveXUrl = " ";
               w.UrlBoxes_Change();
           },
           4, "Step 4", false, true, false},
          {"type it again",
           [](VexaWebExpress& w) {
               w.txtActiveXUrl = "http://ax.test";
               w.UrlBoxes_Change();
           },
           4, "Step 4", true, true, false},
          {"next", Next, 5, "Step 5", true, true, false},
          {"next", Next, 6, "Final Step", false, true, true},
          {"blank the page name",
           [](VexaWebExpress& w) {
               w.txtHtmlFilenameNoPath = "  ";
               w.txtHtmlFilename_Change();
           },
           6, "Final Step", false, true, false},
          {"name it",
           [](VexaWebExpress& w) {
               w.txtHtmlFilenameNoPath = "p.htm";
               w.txtHtmlFilename_Change();
           },
           6, "Final Step", false, true, true}}},
    };
    for (const Walk& walk : walks) Take(walk);
    EXPECT_EQ(Wizard().txtActiveXUrl, "http://ax.test/");
}

}  // namespace
}  // namespace vexa::wizard::test
