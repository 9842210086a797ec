// Start-up, the steps' checks and defaults, the settings store and the file and component
// lists.

#include "common/text.hpp"
#include "tests/wizard/wizard_fixture.hpp"

namespace vexa::wizard::test {
namespace {

using Steps = WizardTest;

TEST_F(Steps, StartUpNeedsTheLoaderFilesBesideTheWizard) {
    fs::remove(AppFile("VexaLoad.cab"));
    EXPECT_FALSE(Wizard().Start());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Error. VexaLoad.cab  must reside in the " + AppDir() + " directory."});
    WriteAll(AppFile("VexaLoad.cab"), "cab");
    ASSERT_TRUE(Wizard().Start());
    EXPECT_EQ(Wizard().Caption, "VexaWeb Express Wizard - Introduction");
    EXPECT_EQ(Wizard().lblVersion, "Version: 6.7.5");
    EXPECT_FALSE(Wizard().enabled.cmdBack);
    EXPECT_FALSE(Wizard().enabled.cmdFinish);
}

TEST_F(Steps, AFreshProjectStartsWithTheGlobalDefaultsAndFillsEachStepsOwn) {
    WriteAll(AppFile("WebSiteURL.txt"), "http://site.test/");
    WriteAll(AppFile("SignCodeCommands.txt"), "sign %1");
    AddProgramFile("My Prog.exe");
    AddProgramFile("data\\notes.txt");
    OpenProgram();
    VexaWebExpress& w = Wizard();
    EXPECT_EQ(w.txtDirectoryName, Program());
    EXPECT_EQ(w.txtWebSiteURL, "http://site.test/");
    EXPECT_EQ(w.txtSignCodeCommands, "sign %1");
    EXPECT_TRUE(w.chkCreateMultiProgramCabs);
    EXPECT_TRUE(w.txtExeFilename.empty() && w.txtHtmlTitle.empty() && w.txtActiveXUrl.empty());
    ASSERT_TRUE(NextTo(6));
    EXPECT_EQ(w.Caption, "VexaWeb Express Wizard - Final Step");
    EXPECT_EQ(w.txtExeFilename, kFileNamesIgnoreCase ? "my prog.exe" : "My Prog.exe");
    EXPECT_EQ(w.txtActiveXUrl, "http://site.test/ActiveX/");
    EXPECT_EQ(w.txtPublicationURL, kFileNamesIgnoreCase ? "http://site.test/myprog/" : "http://site.test/MyProg/");
    const std::string program = kFileNamesIgnoreCase ? "my prog" : "My Prog";
    EXPECT_EQ(w.txtHtmlTitle, "The " + program + ".exe Program Page");
    EXPECT_EQ(w.txtHtmlFilenameNoPath, ReplaceAll(program, " ", "") + ".htm");
    EXPECT_EQ(w.txtStandAloneExeFilenameNoPath, ReplaceAll(program, " ", "") + "WebProg.exe");
    EXPECT_TRUE(w.enabled.cmdFinish);
    ASSERT_EQ(w.lstOCX.size(), 1);
    EXPECT_TRUE(EqualsIgnoreCase(w.lstOCX.entries[0], AppDir() + "VEXALOAD.OCX"));
    EXPECT_TRUE(w.lstOCX.entries[0].ends_with("VEXALOAD.OCX"));
    w.cmdBack_Click();
    EXPECT_EQ(w.Caption, "VexaWeb Express Wizard - Step 5");
    w.cmdNext_Click();
    w.cmdBack_Click();
    w.cmdNext_Click();
    EXPECT_EQ(w.Caption, "VexaWeb Express Wizard - Final Step");
}

TEST_F(Steps, StepOneWantsAWebSiteAndEndsItWithASlash) {
    AddProgramFile("a.exe");
    OpenProgram();
    const struct {
        std::string typed;
        int step;
        std::string url;
    } cases[] = {{"   ", 1, ""}, {"x", 2, "x/"}, {" http://s.test/ ", 2, "http://s.test/"}};
    for (const auto& c : cases) {
        Wizard().txtWebSiteURL = c.typed;
        Wizard().cmdNext_Click();
        EXPECT_EQ(Wizard().CurrentStep, c.step) << c.typed;
        if (c.step == 2) {
            EXPECT_EQ(Wizard().txtWebSiteURL, c.url);
            Wizard().cmdBack_Click();
        }
    }
    EXPECT_EQ(Messages().at(0),
              "Before advancing to the next step, you must type the URL address of your web site. If you are only "
              "experimenting locally, you can type: http://www.example.com/");
    EXPECT_EQ(Wizard().Focus, "txtWebSiteURL");
}

TEST_F(Steps, SettingsFallBackToTheGlobalFilesAndReadTheCabinetModeAsANumber) {
    AddProgramFile("a.exe");
    WriteAll(AppFile("ActiveXUrl.txt"), "http://global.test/ax/");
    WriteAll(AppFile("WebSiteURL.txt"), "http://global.test/");
    WriteAll(ProjectFiles("ActiveXUrl.txt"), "");
    WriteAll(ProjectFiles("WebSiteURL.txt"), "   ");
    const struct {
        std::string mode;
        bool checked;
    } cases[] = {{"2", true}, {"abc", false}, {"0", false}, {" 1x", true}};
    for (const auto& c : cases) {
        WriteAll(ProjectFiles("CreateMultiProgramCabs.txt"), c.mode);
        NewWizard();
        OpenProgram();
        EXPECT_EQ(Wizard().chkCreateMultiProgramCabs, c.checked) << c.mode;
        EXPECT_EQ(Wizard().txtActiveXUrl, "http://global.test/ax/");
        EXPECT_EQ(Wizard().txtWebSiteURL, "http://global.test/");
    }
}

TEST_F(Steps, SavedSettingsComeBackAndTheGlobalOnesServeTheNextProgram) {
    AddProgramFile("a.exe");
    AddProgramFile("b.exe");
    OpenProgram();
    VexaWebExpress& w = Wizard();
    w.txtWebSiteURL = "http://mine.test/";
    w.List1_ItemCheck(1, false);
    ASSERT_TRUE(NextTo(6));
    w.txtSignCodeCommands = "sign\r\ntwice";
    w.chkCreateMultiProgramCabs = false;
    w.txtExeParas = "\"p\"";
    fs::create_directories(ProjectFiles());
    w.SaveStepSettingsToProjectDirectory();
    EXPECT_EQ(ReadAll(ProjectFiles("ProgramFiles.txt")), w.List1.entries[0].text + "\r\n");
    EXPECT_EQ(ReadAll(ProjectFiles("CreateMultiProgramCabs.txt")), "0");

    NewWizard();
    OpenProgram();
    EXPECT_TRUE(Wizard().List1.entries[0].checked);
    EXPECT_FALSE(Wizard().List1.entries[1].checked);
    EXPECT_EQ(Wizard().SelectedExeCount, 1);
    EXPECT_EQ(Wizard().txtSignCodeCommands, "sign\r\ntwice");
    EXPECT_EQ(Wizard().txtExeParas, "\"p\"");
    EXPECT_FALSE(Wizard().chkCreateMultiProgramCabs);
    EXPECT_EQ(Wizard().lstOCX.size(), 1);

    fs::remove_all(root_ / "prog");
    AddProgramFile("other.exe");
    NewWizard();
    OpenProgram();
    EXPECT_EQ(Wizard().txtWebSiteURL, "http://mine.test/");
    EXPECT_EQ(Wizard().txtActiveXUrl, "http://mine.test/ActiveX/");
    EXPECT_EQ(Wizard().txtSignCodeCommands, "sign\r\ntwice");
    EXPECT_TRUE(Wizard().txtExeParas.empty());
}

TEST_F(Steps, TheListingLeavesOutTheProjectAndRefusesWhatCannotBeAProgram) {
    AddProgramFile("Run.EXE");
    AddProgramFile("VexaWizardWebExpressProject\\Release\\old.exe");
    AddProgramFile("sub\\VexaWizardNotes.txt");
    OpenProgram();
    std::vector<std::string> listed;
    for (const auto& entry : Wizard().List1.entries) listed.push_back(entry.text);
    std::sort(listed.begin(), listed.end());
    const std::vector<std::string> expected = kFileNamesIgnoreCase
                                                  ? std::vector<std::string>{"run.exe", "sub\\vexawizardnotes.txt"}
                                                  : std::vector<std::string>{"Run.EXE", "sub\\VexaWizardNotes.txt"};
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(Wizard().SelectedExeCount, 1);
    EXPECT_TRUE(Wizard().enabled.cmdNext);
    EXPECT_EQ(Wizard().List1.selected, 0);
    EXPECT_EQ(Wizard().txtSelectedItem, Wizard().List1.entries[0].text);

    const struct {
        std::string answer;
        std::string message;
    } refused[] = {
        {(root_ / "x" / "vexawizardfiles").string() + kSep, "Error. You cannot select a VexaWizard directory."},
        {(root_ / "data").string() + kSep, "The directory you selected does not contain any EXE files. You must "
                                          "select a directory that contains at least one EXE file. You can also "
                                          "select a directory whose sub-directories contain at least one EXE file."},
        {(root_ / "empty").string() + kSep,
         "The directory you selected has no files in it. You must select a directory that is not empty."},
    };
    WriteAll(root_ / "x" / "vexawizardfiles" / "a.exe", "x");
    WriteAll(root_ / "data" / "only.txt", "x");
    fs::create_directories(root_ / "empty");
    for (const auto& r : refused) {
        NewWizard();
        ASSERT_TRUE(Wizard().Start());
        Wizard().cmdNext_Click();
        ui_.Answer(r.answer);
        Wizard().cmdSelectDirectory_Click();
        EXPECT_EQ(Messages().back(), r.message);
        EXPECT_TRUE(Wizard().txtDirectoryName.empty());
        EXPECT_TRUE(Wizard().List1.entries.empty());
        EXPECT_FALSE(Wizard().enabled.cmdNext);
        EXPECT_FALSE(Wizard().enabled.txtWebSiteURL);
    }
}

TEST_F(Steps, StepTwoNeedsACheckedExeAndTheSelectedViewShowsTheChecked) {
    AddProgramFile("a.exe");
    AddProgramFile("b.txt");
    WriteAll(ProjectFiles("ProgramFiles.txt"), "B.TXT\r\n");
    OpenProgram();
    ASSERT_TRUE(NextTo(2));
    VexaWebExpress& w = Wizard();
    EXPECT_FALSE(w.enabled.cmdNext);
    EXPECT_TRUE(w.lblStep2NoteVisible);
    w.SelectAllFiles(true);
    EXPECT_EQ(w.SelectedExeCount, 1);
    EXPECT_TRUE(w.enabled.cmdNext);
    EXPECT_FALSE(w.lblStep2NoteVisible);
    const int exe = w.List1.entries[0].text == "a.exe" ? 0 : 1;
    w.List1_ItemCheck(exe, false);
    EXPECT_EQ(w.SelectedExeCount, 0);
    EXPECT_FALSE(w.enabled.cmdNext);
    w.chkShowSelectedItemsOnly_Click(true);
    EXPECT_EQ(w.List2.entries, std::vector<std::string>{kFileNamesIgnoreCase ? "b.txt" : "b.txt"});
    EXPECT_EQ(w.txtSelectedItem, "b.txt");
    EXPECT_FALSE(w.enabled.cmdNext);
    EXPECT_TRUE(w.enabled.cmdBack);
    w.SelectAllFiles(false);
    EXPECT_FALSE(w.enabled.cmdNext);
}

TEST_F(Steps, TheComponentListsRefuseDuplicatesTheLoaderAndUnregisteredControls) {
    AddProgramFile("a.exe");
    WriteAll(root_ / "X" / "A.OCX", "control");
    WriteAll(root_ / "X" / "plain.ocx", "control");
    WriteAll(root_ / "X" / "lib.dll", "library");
    const std::string ocx = (root_ / "X" / "A.OCX").string();
    const std::string lib = (root_ / "X" / "lib.dll").string();
    Register(ocx, "{11111111-2222-3333-4444-555555555555}");
    OpenProgram();
    ASSERT_TRUE(NextTo(5));
    VexaWebExpress& w = Wizard();
    EXPECT_FALSE(w.enabled.cmdRemoveOcx);
    const struct {
        bool ocxList;
        std::string path;
        std::string message;  // empty: added
    } adds[] = {
        {true, ocx, ""},
        {true, ToLowerAnsi(ocx), kFileNamesIgnoreCase ? "The file you selected is already in the list."
                                                      : "Error. Selected file does not exist."},
        {true, (root_ / "X" / "missing.ocx").string(), "Error. Selected file does not exist."},
        {true, AppFile("VexaLoad.ocx"),
         "Error. You cannot add VexaLoad.ocx to the list (it was added automatically)."},
        {true, (root_ / "X" / "plain.ocx").string(),
         "The file you selected: \r\n\r\n" + (root_ / "X" / "plain.ocx").string() +
             "\r\n\r\nis not a registered OCX/DLL file. You must select a file that is registered."},
        {false, lib, ""},
        {false, lib, "The file you selected is already in the list."},
        {false, ocx, "The file you selected is already in the OCX list."},
        {true, lib, "The file you selected is already in the DLL list."},
    };
    for (const auto& add : adds) {
        const std::size_t before = Messages().size();
        ui_.Answer(add.path);
        add.ocxList ? w.cmdAddOcx_Click() : w.cmdAddDll_Click();
        if (add.message.empty())
            EXPECT_EQ(Messages().size(), before) << add.path;
        else
            EXPECT_EQ(Messages().back(), add.message) << add.path;
    }
    ASSERT_EQ(w.lstOCX.size(), 2);
    EXPECT_TRUE(EqualsIgnoreCase(w.lstOCX.entries[1], ocx));
    EXPECT_EQ(w.lstOCX.entries[1], kFileNamesIgnoreCase ? ToLowerAnsi(ocx) : ocx);
    EXPECT_EQ(w.lstDLL.size(), 1);
    EXPECT_EQ(ui_.Questions().at(ui_.Questions().size() - 1).kind, "message");

    w.lstOCX_Click(0);
    EXPECT_FALSE(w.enabled.cmdRemoveOcx);
    w.cmdRemoveOcx_Click();
    EXPECT_EQ(w.lstOCX.size(), 2);
    w.lstOCX_Click(1);
    EXPECT_TRUE(w.enabled.cmdRemoveOcx);
    w.cmdRemoveOcx_Click();
    EXPECT_EQ(w.lstOCX.size(), 1);
    EXPECT_EQ(w.lstOCX.selected, 0);
    EXPECT_FALSE(w.enabled.cmdRemoveOcx);
    w.cmdRemoveDll_Click();
    EXPECT_TRUE(w.lstDLL.entries.empty());
    EXPECT_FALSE(w.enabled.cmdRemoveDll);
}

}  // namespace
}  // namespace vexa::wizard::test
