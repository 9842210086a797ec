// Finish: the cabinets, the script, the page, the signing commands and the stand-alone
// program, the release question and the roll-back.

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expand_into.hpp"
#include "cabcodec/expander.hpp"
#include "common/file_name.hpp"
#include "common/text.hpp"
#include "signature/signature.hpp"
#include "tests/wizard/wizard_fixture.hpp"

namespace vexa::wizard::test {
namespace {

class Build : public WizardTest {
protected:
    // The program of the examples: its EXE, a data file, and a sound in a sub-directory.
    void ProgramOfThree(std::size_t soundSize = 100) {
        AddProgramFile("hello.exe", "MZ program");
        AddProgramFile("readme.txt", "text");
        AddProgramFile("sounds\\eagle.wav", Noise(soundSize));
    }
    // `releaseAnswer` answers the question about an earlier release, if one is asked.
    bool FinishAtStepSix(std::optional<std::string> releaseAnswer = std::nullopt) {
        OpenProgram();
        if (releaseAnswer) ui_.Answer(releaseAnswer);
        Wizard().txtWebSiteURL = "http://site.test/";
        return NextTo(6) && Wizard().cmdFinish_Click();
    }
    std::vector<std::string> Members(const std::string& cabinet) {
        auto file = native_.Get().files.OpenShared(cabinet);
        if (!file) {
            ADD_FAILURE() << cabinet << " is missing";
            return {};
        }
        cab::FileCabinetSource source(std::move(file));
        std::vector<cab::MemberInfo> members;
        EXPECT_EQ(cab::ListMembers(source, 0, members), cab::ExpandStatus::Done) << cabinet;
        std::vector<std::string> names;
        for (const auto& member : members) names.push_back(member.name);
        return names;
    }
    // The script text packed in the release's script cabinet, its only member.
    std::string Script() {
        const std::string base(WithoutExtension(Wizard().txtHtmlFilenameNoPath));
        const std::string cab = Release(base + "Script.Cab");
        EXPECT_EQ(Members(cab), std::vector<std::string>{base + "Script.txt"});
        fs::path out = root_ / "script-out";
        fs::remove_all(out);
        EXPECT_TRUE(cab::ExpandInto(native_.Get().files, cab, out).Done());
        return ReadAll(out / (base + "Script.txt"));
    }
};

TEST(ProgramCabPieces, SplitsAbove50000BytesInPiecesOf25000AtMost1000) {
    const struct {
        std::int64_t size;
        bool multi;
        std::int32_t pieces;
    } cases[] = {{50000, true, 0}, {50001, true, 2}, {74999, true, 2}, {75000, true, 3},
                 {30000000, true, 1000}, {10000000, false, 0}};
    for (const auto& c : cases) EXPECT_EQ(ProgramCabPieces(c.size, c.multi), c.pieces) << c.size;
}

TEST_F(Build, UniqueCabinetNamesFollowTheFileNames) {
    ASSERT_TRUE(Wizard().Start());
    const std::string target = (root_ / "out").string() + kSep;
    fs::create_directories(target);
    const struct {
        std::string source;
        std::string name;
    } cases[] = {{"Eagle.wav", "eagleWAV.cab"}, {"eagle.wav", "eagleWAV2.cab"}, {"EAGLE.WAV", "eagleWAV3.cab"},
                 {"My Bird.exe", "my_birdEXE.cab"}, {"README", "readme.cab"}, {"a.b.c", "a.bC.cab"}};
    for (const auto& c : cases) {
        const std::string cabinet = Wizard().VexaGenerateUniqueCabFilename(Program() + c.source, target);
        EXPECT_EQ(cabinet, target + c.name) << c.source;
        WriteAll(cabinet, "x");
    }
    EXPECT_EQ(Wizard().VexaGenerateCabFilename("c:\\win\\sys\\mylib.dll", target), target + "mylib.Cab");
}

TEST_F(Build, SingleCabinetModeWritesTheScriptLineByLine) {
    ProgramOfThree(60000);
    const std::string lib = (root_ / "lib" / "mylib.dll").string();
    WriteAll(lib, "library bytes");
    components_.SetFileVersion("mylib.dll", "1.2.3.4");
    OpenProgram();
    Wizard().txtWebSiteURL = "http://site.test/";
    ASSERT_TRUE(NextTo(3));
    Wizard().txtExeParas = "  \"a\", \"b\"  ";
    ASSERT_TRUE(NextTo(5));
    ui_.Answer(lib);
    Wizard().cmdAddDll_Click();
    ASSERT_TRUE(NextTo(6));
    Wizard().chkCreateMultiProgramCabs = false;
    Wizard().txtHtmlTitle.clear();
    ASSERT_TRUE(Wizard().cmdFinish_Click()) << ::testing::PrintToString(Messages());

    const std::string prog1 = Release("Prog1.cab");
    const std::string dllCab = ReleaseActiveX("mylib.Cab");
    const std::string loaderCab = ReleaseActiveX("VexaLoad.cab");
    EXPECT_EQ(Files(Release()), (std::vector<std::string>{"Prog1.cab", "hello.htm", "helloScript.Cab",
                                                           "helloWebProg.exe"}));
    EXPECT_EQ(Files(ReleaseActiveX()), (std::vector<std::string>{"VexaLoad.cab", "VexaLoad.ocx", "mylib.Cab"}));
    std::vector<std::string> members = Members(prog1);
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, (std::vector<std::string>{"hello.exe", "readme.txt", "sounds\\eagle.wav"}));
    EXPECT_EQ(Members(dllCab), std::vector<std::string>{"mylib.dll"});

    auto size = [](const std::string& path) { return std::to_string(fs::file_size(path)); };
    auto sig = [this](const std::string& path) { return GenerateFileSignature(native_.Get().files, path); };
    const std::string q = "\"";
    const std::string expected =
        std::string(49, '\'') + "\r\n' File Name: helloScript.txt\r\n'\r\n' This file was generated automatically "
        "with the \r\n' Brindell Quillforge.\r\n' Version: 6.7\r\n'\r\n'\r\n'\r\n' Created: 11/6/98 4:24:37 AM\r\n"
        "' Created for Final Release.\r\n" + std::string(49, '\'') + "\r\n\r\n\r\n"
        "' Specify the default product directory.\r\nSetProductDirectory \"<TempDir>\"\r\n\r\n"
        "' InstallDialogTitle.\r\nSetInstallDialogTitle \"Installing Program\"\r\n\r\n"
        "InstallDllFile \"http://site.test/ActiveX/mylib.Cab\", \"" + size(dllCab) + "\", \"mylib.dll\", \"1,2,3,4\", "
        "\"0\", \"13\", \"" + sig(dllCab) + "\", \"\"\r\n\r\n"
        "''' InstallOcxFile \"http://site.test/ActiveX/VexaLoad.cab\", \"" + size(loaderCab) + "\", \"VEXALOAD.OCX\", "
        "\"2,3,0,35\", \"\", \"0\", \"" + size(AppFile("VexaLoad.ocx")) + "\", \"" + sig(loaderCab) + "\"\r\n\r\n\r\n"
        "InstallProgram \"Prog1.cab\", \"" + size(prog1) + "\", \"" +
        FormatTimeStamp14(ParseTimeStamp14(Wizard().VexaDnld1().GetFileLastModifTime(prog1)).value()) + "\", \"0\", \"" +
        std::to_string(fs::file_size(prog1) * 4) + "\", \"" + sig(prog1) + "\", \"\"\r\n\r\n"
        "' Program To Execute.\r\nExecute \"<ProductDirectory>\\hello.exe\", \"a\", \"b\"\r\n\r\n"
        "'''''''''''''''' end of script ''''''''''''''''''\r\n";
    EXPECT_EQ(Script(), expected);
    EXPECT_EQ(Wizard().txtExeParas, "\"a\", \"b\"");
    EXPECT_GT(fs::file_size(prog1), 50000u);
    EXPECT_FALSE(fs::exists(Release("helloScript.txt")));

    EXPECT_EQ(ReadAll(Release("hello.htm")),
              "<!-- 6.7 11/6/98 4:24:37 AM -->\r\n<title></title>\r\nRunScript(\"helloScript.Cab\") "
              "codebase=\"http://site.test/ActiveX/VexaLoad.cab#Version=2,3,0,35\"\r\n"
              "<a href=\"helloWebProg.exe\">helloWebProg.exe</a>\r\n");
    EXPECT_EQ(Wizard().CurrentStep, kWorkingStep);
    EXPECT_TRUE(Wizard().txtWorkProgress.ends_with("Done!\r\n"));
}

TEST_F(Build, MultiCabinetModeMakesOneCabinetPerFileSplitsTheLargeAndKeepsACopy) {
    AddProgramFile("run.exe", "MZ program");
    AddProgramFile("a\\readme.txt", "first");
    AddProgramFile("b\\readme.txt", "second");
    AddProgramFile("big.dat", Noise(80000));
    fs::last_write_time(Program() + "run.exe", fs::last_write_time(Program() + "run.exe") - std::chrono::hours(50));
    ASSERT_TRUE(FinishAtStepSix()) << ::testing::PrintToString(Messages());

    const std::vector<std::string> release = Files(Release());
    for (const char* name : {"runEXE.cab", "readmeTXT.cab", "readmeTXT2.cab", "bigDAT.cab1", "bigDAT.cab3"})
        EXPECT_NE(std::find(release.begin(), release.end(), name), release.end()) << name;
    EXPECT_EQ(std::find(release.begin(), release.end(), "bigDAT.cab"), release.end());
    EXPECT_EQ(Members(Release("readmeTXT.cab")), std::vector<std::string>{"readme.txt"});
    EXPECT_EQ(Wizard().VexaCB1().GetFileLastModifTime(Release("runEXE.cab")),
              Wizard().VexaCB1().GetFileLastModifTime(Program() + "run.exe"));

    const std::string script = Script();
    auto lineOf = [&](const std::string& cabinet) {
        std::size_t at = script.find("InstallProgram \"" + cabinet + "\"");
        return at == std::string::npos ? std::string() : script.substr(at, script.find("\r\n", at) - at);
    };
    const std::string first = lineOf("readmeTXT.cab"), second = lineOf("readmeTXT2.cab"), big = lineOf("bigDAT.cab");
    const std::string aSub = script.find("\"a\\\"") != std::string::npos ? "a\\" : "b\\";
    EXPECT_TRUE(first.ends_with("\"a\\\"") || first.ends_with("\"b\\\"")) << first;
    EXPECT_TRUE(second.ends_with("\"a\\\"") || second.ends_with("\"b\\\"")) << second;
    EXPECT_NE(first.substr(first.size() - 4), second.substr(second.size() - 4));
    EXPECT_NE(big.find("\"3\", \""), std::string::npos) << big;
    EXPECT_TRUE(big.ends_with(", \"\"")) << big;

    // Every program cabinet is in this machine's cache under its short signature.
    const std::string cache = (root_ / "windows" / "Temporary VexaWeb Files" / "Downloaded Programs").string() + kSep;
    std::size_t signatureAt = big.find("\"1-");
    ASSERT_NE(signatureAt, std::string::npos);
    const std::string signature = big.substr(signatureAt + 1, big.find('"', signatureAt + 1) - signatureAt - 1);
    EXPECT_TRUE(fs::exists(cache + LongSigToShortSig(signature) + ".cab"));
    EXPECT_EQ(Files(cache).size(), 4u);
}

TEST_F(Build, TheStandAloneProgramCarriesWhereTheWebProgramLives) {
    AddProgramFile("hello.exe", "MZ program");
    OpenProgram();
    Wizard().txtWebSiteURL = "http://site.test/";
    ASSERT_TRUE(NextTo(4));
    Wizard().txtActiveXUrl = "http://cdn.test/ax";
    ASSERT_TRUE(NextTo(6));
    Wizard().txtActiveXUrl = "http://cdn.test/ax";
    Wizard().txtHtmlTitle = "Tom & <Jerry>";
    ASSERT_TRUE(Wizard().cmdFinish_Click()) << ::testing::PrintToString(Messages());
    EXPECT_NE(ReadAll(Release("hello.htm")).find("<title>Tom &amp; &lt;Jerry&gt;</title>"), std::string::npos);
    const std::string scriptCab = Release("helloScript.Cab");
    const std::string shortSignature = LongSigToShortSig(GenerateFileSignature(native_.Get().files, scriptCab));
    const std::string attachment = "http://cdn.test/ax/\r\n2,3,0,35\r\nhttp://site.test/hello/\r\nhelloScript.Cab\r\n" +
                                   shortSignature + "\r\nWEBPROG";
    EXPECT_EQ(ReadAll(ProjectFiles("SAAttach.txt")), attachment);
    EXPECT_EQ(ReadAll(Release("helloWebProg.exe")), "MZ stand-alone stub" + attachment);
    EXPECT_EQ(Wizard().VexaCB1().GetFileLastModifTime(Release("helloWebProg.exe")), "19981106042437");
    const std::string accepted = (root_ / "windows" / "Temporary VexaWeb Files" / "Installed Scripts").string() + kSep;
    EXPECT_EQ(ReadAll(accepted + shortSignature + ".cab"), ReadAll(scriptCab));
    EXPECT_NE(Wizard().txtFinalMessage.find("Successfully converted the program: \r\nhello.exe\r\n"), std::string::npos);
    EXPECT_TRUE(Wizard().txtFinalMessage.ends_with("into the following directory of your Web site: \r\n"
                                                   "http://cdn.test/ax/"));
}

TEST_F(Build, NamesAreCheckedBeforeTheReleaseIsTouched) {
    AddProgramFile("hello.exe");
    OpenProgram();
    Wizard().txtWebSiteURL = "http://site.test/";
    ASSERT_TRUE(NextTo(6));
    WriteAll(Release("old.txt"), "published before");
    const std::string html = "Error. You specified an invalid filename for the resultant HTML file. ";
    const std::string exe = "Error. You specified an invalid filename for the resultant stand-alone EXE file. ";
    const struct {
        std::string page, standAlone, message;
    } cases[] = {
        {"my page.htm", "a.exe", html + "The resultant HTML filename cannot contain spaces."},
        {"page.txt", "a.exe", html + "The resultant HTML filename must have a .htm extension or a .html extension."},
        {"a|b.htm", "a.exe", html + "A filename cannot contain any of the following characters: \\/:*?\"<>|"},
        {"page.HTML", "a.com", exe + "The resultant stand-alone EXE filename must have an .exe extension."},
        {"page.HTML", "a b.exe", exe + "The resultant stand-alone EXE filename cannot contain spaces."},
        {"page.HTML", "a?.exe", "Error. You specified an invalid filename for the resultant stand-alone exe file. "
                                "A filename cannot contain any of the following characters: \\/:*?\"<>|"},
    };
    for (const auto& c : cases) {
        Wizard().txtHtmlFilenameNoPath = c.page;
        Wizard().txtStandAloneExeFilenameNoPath = c.standAlone;
        EXPECT_FALSE(Wizard().cmdFinish_Click());
        EXPECT_EQ(Messages().back(), c.message);
        EXPECT_EQ(Wizard().CurrentStep, kFinalStep);
        EXPECT_TRUE(fs::exists(Release("old.txt")));
    }
}

TEST_F(Build, TheReleaseQuestionGuardsAnEarlierRelease) {
    AddProgramFile("hello.exe");
    ASSERT_TRUE(FinishAtStepSix());
    const std::string page = ReadAll(Release("hello.htm"));
    NewWizard();
    ASSERT_FALSE(FinishAtStepSix("no"));
    const std::string question = Messages().back();
    EXPECT_EQ(question, "Continuing will delete all the current files in the Release directories: \r\n\r\n" +
                            Release() + "\r\n" + ReleaseActiveX() +
                            "\r\n\r\nThe Release directories will be updated with new updated files. Do you wish "
                            "to continue?");
    EXPECT_EQ(ui_.Questions().back().title, "Updating Release Files");
    EXPECT_EQ(Wizard().CurrentStep, kFinalStep);
    EXPECT_EQ(ReadAll(Release("hello.htm")), page);
    NewWizard();
    EXPECT_TRUE(FinishAtStepSix("yes"));
}

TEST_F(Build, CancelDuringACabinetRollsTheReleaseBack) {
    AddProgramFile("hello.exe");
    AddProgramFile("big.dat", Noise(3'000'000));
    WriteAll(ProjectFiles("HtmlTitle.txt"), "kept as it was");
    OpenProgram();
    Wizard().txtWebSiteURL = "http://site.test/";
    ASSERT_TRUE(NextTo(6));
    Wizard().onProgress = [this](const std::string& line) {
        if (line.starts_with("Adding ")) Wizard().cmdCancelWork_Click();
    };
    EXPECT_FALSE(Wizard().cmdFinish_Click());
    EXPECT_EQ(Messages().back(), "Error. Cab creation cancelled by user.");
    EXPECT_TRUE(Files(Release()).empty());
    EXPECT_TRUE(Files(ReleaseActiveX()).empty());
    EXPECT_EQ(Wizard().CurrentStep, kFinalStep);
    EXPECT_EQ(Wizard().Caption, "VexaWeb Express Wizard - Step 6");
    EXPECT_FALSE(Wizard().enabled.cmdNext);
    EXPECT_TRUE(Wizard().enabled.cmdExit);
    EXPECT_TRUE(Wizard().enabled.cmdFinish);
    EXPECT_EQ(ReadAll(ProjectFiles("HtmlTitle.txt")), "kept as it was");
}

TEST_F(Build, SignCodeCommandsRunOneAtATimeOnTheScriptCabinet) {
    AddProgramFile("hello.exe");
    OpenProgram();
    Wizard().txtWebSiteURL = "http://site.test/";
    ASSERT_TRUE(NextTo(6));
    Wizard().txtHtmlTitle = "My Title";
    Wizard().txtSignCodeCommands = "  /bin/sign -in %1 -out %1.x -n %2\r\n\r\n/bin/check  \r\n";
    // Each command ends once the wizard has looked at it running.
    Wizard().onIdle = [this] {
        if (processes_.IsActive(processes_.LastProcess())) processes_.Exit(processes_.LastProcess());
    };
    ASSERT_TRUE(Wizard().cmdFinish_Click());
    ASSERT_EQ(processes_.Starts().size(), 2u);
    const std::string cab = Release("helloScript.Cab");
    EXPECT_EQ(processes_.Starts()[0].program, "/bin/sign");
    EXPECT_EQ(processes_.Starts()[0].arguments, "-in " + cab + " -out " + cab + ".x -n My Title");
    EXPECT_EQ(processes_.Starts()[1].program, "/bin/check");
    EXPECT_EQ(processes_.Starts()[1].arguments, "");
    EXPECT_EQ(ReadAll(ProjectFiles("SignCodeCommands.BAT")),
              "/bin/sign -in " + cab + " -out " + cab + ".x -n My Title\r\n\r\n/bin/check");
    EXPECT_NE(Wizard().txtWorkProgress.find("Executing Sign Code Command: /bin/check\r\n"), std::string::npos);

    fs::remove(ProjectFiles("SignCodeCommands.BAT"));
    NewWizard();
    OpenProgram();
    ui_.Answer("yes");
    ASSERT_TRUE(NextTo(6));
    Wizard().txtSignCodeCommands = "   ";
    ASSERT_TRUE(Wizard().cmdFinish_Click());
    EXPECT_EQ(processes_.Starts().size(), 2u);
    EXPECT_FALSE(fs::exists(ProjectFiles("SignCodeCommands.BAT")));
}

}  // namespace
}  // namespace vexa::wizard::test
