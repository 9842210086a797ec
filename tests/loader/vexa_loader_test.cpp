#include "loader/vexa_loader.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "loader/loader_dispatch.hpp"
#include "tests/loader/loader_machine.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;
using test::kPage;

const std::string kProgramBytes = "MZ the program\r\n";
const std::string kProgramCab = vexa::test::CabinetOf({{"Hello.exe", kProgramBytes}, {"data\\Hello.ini", "[x]\r\n"}});

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ProgramLine(const std::string& cab, const std::string& signature, std::int64_t pieces = 0,
                        const std::string& subDirectory = "", std::size_t size = kProgramCab.size()) {
    return "InstallProgram \"" + cab + "\", \"" + std::to_string(size) + "\", \"20261209101500\", \"" +
           std::to_string(pieces) + "\", \"100\", \"" + signature + "\", \"" + subDirectory + "\"\r\n";
}

const std::string kExecute = "Execute \"<ProductDirectory>\\Hello.exe\", \"/page\", \"two words\"\r\n";

class VexaLoaderTest : public ::testing::Test {
protected:
    std::unique_ptr<VexaLoader> NewControl() {
        auto control = std::make_unique<VexaLoader>(m_.platform, m_.site, m_.events);
        control->SetCurrentUrl(kPage + "index.htm?visit=1");
        return control;
    }
    // Runs the page's calls and the control's messages until the run has ended.
    bool Visit(VexaLoader& control) {
        m_.events.lines.clear();
        return control.RunScript("Script.Cab") && m_.RunUntil([&] { return Ended(); });
    }
    bool Ended() const { return m_.events.Count("ScriptDone") + m_.events.Count("ScriptError 0 ") > 0; }
    std::string ServeProgram() {
        std::string signature = m_.Serve("Hello.cab", kProgramCab);
        m_.ServeScript(ProgramLine("Hello.cab", signature) + kExecute);
        return signature;
    }
    // What the error window showed, in order.
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& q : m_.ui.Questions())
            if (q.kind == "message" && q.title == "Error") texts.push_back(q.file.title);
        return texts;
    }

    test::LoaderMachine m_;
};

TEST_F(VexaLoaderTest, FirstVisitFetchesChecksExpandsAndStartsTheProgram) {
    ServeProgram();
    auto control = NewControl();
    ASSERT_TRUE(Visit(*control));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});
    EXPECT_TRUE(control->IsScriptRunning());
    EXPECT_FALSE(control->RunScript("Script.Cab")) << "one run per control";
    EXPECT_EQ(m_.trust.Checked().size(), 1u);

    const std::string product = control->GetProductDirectory();
    ASSERT_FALSE(product.empty());
    EXPECT_EQ(ReadFile(fs::path(product) / "Hello.exe"), kProgramBytes);
    EXPECT_TRUE(fs::exists(fs::path(product) / "data" / "Hello.ini"));
    EXPECT_EQ(ReadFile(fs::path(product) / "~CurrentUrl.txt"), kPage);
    EXPECT_EQ(ReadFile(fs::path(product) / "~OcxHWnd.txt"), std::to_string(control->Window()));
    ASSERT_EQ(m_.processes.Starts().size(), 1u);
    EXPECT_EQ(m_.processes.Starts()[0].program, (fs::path(product) / "Hello.exe").string());
    EXPECT_EQ(m_.processes.Starts()[0].arguments, "/page \"two words\"");
    EXPECT_EQ(control->GetCustomVar(), std::to_string(m_.processes.LastProcess()));

    control->CloseScript();
    EXPECT_FALSE(fs::exists(product));
    EXPECT_FALSE(control->IsScriptRunning());
    EXPECT_EQ(control->GetProductDirectory(), "");
}

// Two program cabinets, the second into a sub-directory, with a line between them.
class TwoCabinetsTest : public VexaLoaderTest {
protected:
    void ServeTwoCabinets(const std::string& between = "Set Note = \"between\"\r\n") {
        m_.ServeScript(ProgramLine("Hello.cab", programSignature_) + between +
                       ProgramLine("Data.cab", dataSignature_, 0, "\\more", dataCab_.size()) + kExecute);
    }
    // Spoils the kept copy of Data.cab, keeping its size.
    void SpoilKeptData() {
        const fs::path kept = fs::path(m_.WindowsDirectory()) / "Temporary VexaWeb Files" / "Downloaded Programs";
        for (const auto& entry : fs::directory_iterator(kept)) {
            if (fs::file_size(entry.path()) != dataCab_.size()) continue;
            fs::remove(entry.path());
            std::ofstream(entry.path(), std::ios::binary) << std::string(dataCab_.size(), 'x');
        }
    }

    const std::string dataCab_ = vexa::test::CabinetOf({{"Data.txt", "data"}});
    const std::string programSignature_ = m_.Serve("Hello.cab", kProgramCab);
    const std::string dataSignature_ = m_.Serve("Data.cab", dataCab_);
};

// Each cabinet comes while the one before it is expanded, and is expanded in its turn.
TEST_F(TwoCabinetsTest, CabinetsAreFetchedAheadAndExpandedInTheirTurn) {
    ServeTwoCabinets();
    auto control = NewControl();
    ASSERT_TRUE(Visit(*control));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});
    EXPECT_EQ(m_.Fetches("Hello.cab") + m_.Fetches("Data.cab"), 2u);
    const fs::path product = control->GetProductDirectory();
    EXPECT_EQ(ReadFile(product / "Hello.exe"), kProgramBytes);
    EXPECT_EQ(ReadFile(product / "more" / "Data.txt"), "data");
}

// The next visit begins its lines as if the kept copies were sound while they are checked.
// A spoilt one sends the run back to begin them as a visit with a download does: the
// certificate is shown once (whether the script is known or new) and the cabinet is fetched.
TEST_F(TwoCabinetsTest, ASpoiltKeptCopyBeginsTheLinesAgainWithADownload) {
    for (const std::string between : {"Set Note = \"between\"\r\n", "Set Note = \"a new script\"\r\n"}) {
        SCOPED_TRACE(between);
        ServeTwoCabinets();
        ASSERT_TRUE(Visit(*NewControl()));
        const std::size_t trusted = m_.trust.Checked().size(), dataFetches = m_.Fetches("Data.cab");
        SpoilKeptData();
        m_.files.keptCheckDelay = std::chrono::milliseconds(50);  // still checking when the lines begin
        ServeTwoCabinets(between);
        auto again = NewControl();
        ASSERT_TRUE(Visit(*again));
        EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});
        EXPECT_EQ(m_.trust.Checked().size(), trusted + 1);
        EXPECT_EQ(m_.Fetches("Hello.cab"), 1u);
        EXPECT_EQ(m_.Fetches("Data.cab"), dataFetches + 1);
        EXPECT_EQ(ReadFile(fs::path(again->GetProductDirectory()) / "Hello.exe"), kProgramBytes);
        EXPECT_EQ(ReadFile(fs::path(again->GetProductDirectory()) / "more" / "Data.txt"), "data");
    }
}

// Each line expands 100 bytes. While the kept copies are checked the disks must hold them
// all fetched; once checked, only what is spoilt.
TEST_F(TwoCabinetsTest, DiskSpaceCountsTheKeptCopiesThatFailTheirCheck) {
    ServeTwoCabinets();
    ASSERT_TRUE(Visit(*NewControl()));
    m_.files.space = DriveSpace{1 << 20, 200 + dataCab_.size() - 1};
    m_.files.keptCheckDelay = std::chrono::milliseconds(50);
    ASSERT_TRUE(Visit(*NewControl()));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});

    SpoilKeptData();
    ASSERT_TRUE(Visit(*NewControl()));
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(Errors()[0].starts_with("Error: Insufficient disk space on drive ")) << Errors()[0];
}

TEST_F(VexaLoaderTest, SecondVisitUsesTheKeptCabinetWithoutTrustOrDownload) {
    ServeProgram();
    ASSERT_TRUE(Visit(*NewControl()));
    auto again = NewControl();
    ASSERT_TRUE(Visit(*again));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});
    EXPECT_EQ(m_.Fetches("Hello.cab"), 1u);
    EXPECT_EQ(m_.trust.Checked().size(), 1u) << "a known script with nothing to fetch is not shown again";
    EXPECT_EQ(ReadFile(fs::path(again->GetProductDirectory()) / "Hello.exe"), kProgramBytes);
}

TEST_F(VexaLoaderTest, KeptCopyOfAnotherSizeIsIgnored) {
    std::string signature = m_.Serve("Hello.cab", kProgramCab);
    m_.ServeScript(ProgramLine("Hello.cab", signature) + kExecute);
    ASSERT_TRUE(Visit(*NewControl()));
    m_.ServeScript(ProgramLine("Hello.cab", signature, 0, "", kProgramCab.size() + 1) + kExecute);
    ASSERT_TRUE(Visit(*NewControl()));
    EXPECT_EQ(m_.Fetches("Hello.cab"), 2u);
}

TEST_F(VexaLoaderTest, SplitSetFetchesOnlyPiecesNotYetThere) {
    const std::size_t third = kProgramCab.size() / 3;
    const std::string pieces[] = {kProgramCab.substr(0, third), kProgramCab.substr(third, third),
                                  kProgramCab.substr(2 * third)};
    std::string signature = m_.Serve("Hello.cab", kProgramCab);
    for (int k = 1; k <= 3; ++k) m_.Serve("Hello.cab" + std::to_string(k), pieces[k - 1]);
    m_.ServeScript(ProgramLine("Hello.cab", signature, 3) + kExecute);
    auto control = NewControl();
    // Pieces 3 and 2 of an earlier visit wait in the piece directory.
    fs::path pieceDirectory = fs::path(control->Driver().Cache().GetTempFolder()) / ("~us" + LongSigToShortSig(signature));
    fs::create_directories(pieceDirectory);
    std::ofstream(pieceDirectory / "Hello.cab3", std::ios::binary) << pieces[2];
    std::ofstream(pieceDirectory / "Hello.cab2", std::ios::binary) << pieces[1];

    ASSERT_TRUE(Visit(*control));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptDone"});
    EXPECT_EQ(m_.Fetches("Hello.cab1"), 1u);
    EXPECT_EQ(m_.Fetches("Hello.cab2") + m_.Fetches("Hello.cab3") + m_.Fetches("Hello.cab"), 0u);
    EXPECT_EQ(ReadFile(fs::path(control->GetProductDirectory()) / "Hello.exe"), kProgramBytes);
    EXPECT_TRUE(fs::is_empty(pieceDirectory)) << "joined pieces are deleted";
}

struct FailureCase {
    std::string name;
    std::function<void(test::LoaderMachine&)> arrange;
    std::string text;  // how the error window's text begins
};

const std::string kBadSignature = "1-" + std::string(88, '0');

const FailureCase kFailures[] = {
    {"signature",
     [](auto& m) {
         m.Serve("Hello.cab", kProgramCab);
         m.ServeScript(ProgramLine("Hello.cab", kBadSignature) + kExecute);
     },
     "Download error. Signature of downloaded file does not match script specs. File Name: " + kPage +
         "Hello.cab\r\nTo re-download the file, make sure you are connected to the Internet and then refresh this page."},
    {"missing_cabinet", [](auto& m) { m.ServeScript(ProgramLine("Gone.cab", kBadSignature) + kExecute); },
     "Download Error! Make sure you are connected to the Internet. Cannot download file: " + kPage + "Gone.cab"},
    // The second cabinet is fetched while the first is expanded.
    {"missing_next_cabinet",
     [](auto& m) {
         std::string signature = m.Serve("Hello.cab", kProgramCab);
         m.ServeScript(ProgramLine("Hello.cab", signature) + ProgramLine("Gone.cab", kBadSignature) + kExecute);
     },
     "Download Error! Make sure you are connected to the Internet. Cannot download file: " + kPage + "Gone.cab"},
    {"trust_refused",
     [](auto& m) {
         m.ServeScript(kExecute);
         m.trust.SetAnswer(false);
     },
     "User rejected script certificate."},
    {"no_trust_function",
     [](auto& m) {
         m.ServeScript(kExecute);
         m.trust.SetAvailable(false);
     },
     "Cannot load required DLL file: WINTRUST.DLL."},
    {"no_script_text", [](auto& m) { m.Serve("Script.Cab", vexa::test::CabinetOf({{"Other.txt", "x"}})); },
     "Cannot find script text in cab."},
    {"not_a_cabinet", [](auto& m) { m.Serve("Script.Cab", "plain text"); },
     "Cab expansion error. Cannot expand Cab script file: "},
    {"header", [](auto& m) { m.Serve("Script.Cab", vexa::test::CabinetOf({{"Script.txt", "Execute \"x\"\r\n"}})); },
     "Invalid script file."},
    {"sub_directory",
     [](auto& m) {
         std::string signature = m.Serve("Hello.cab", kProgramCab);
         m.ServeScript(ProgramLine("Hello.cab", signature, 0, "\\..\\out") + kExecute);
     },
     "Invalid sub-directory specified in script. Sub-directory: ..\\out\\"},
    {"sub_directory_with_the_next_cabinet_on_its_way",
     [](auto& m) {
         std::string signature = m.Serve("Hello.cab", kProgramCab);
         m.ServeScript(ProgramLine("Hello.cab", signature, 0, "\\..\\out") + ProgramLine("Hello.cab", signature) +
                       kExecute);
     },
     "Invalid sub-directory specified in script. Sub-directory: ..\\out\\"},
    {"program_start",
     [](auto& m) {
         std::string signature = m.Serve("Hello.cab", kProgramCab);
         m.ServeScript(ProgramLine("Hello.cab", signature) + kExecute);
         m.processes.FailEveryStart();
     },
     "Cannot execute program specified in script: "},
};

class RunFailureTest : public VexaLoaderTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailureTest, ShowsItsTextAndEndsWithOneScriptError) {
    GetParam().arrange(m_);
    auto control = NewControl();
    EXPECT_EQ(control->RunScript("Script.Cab"), GetParam().name != "no_trust_function");
    m_.RunUntil([&] { return Ended(); });
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptError 0 "});
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(Errors()[0].starts_with(GetParam().text)) << Errors()[0];
    EXPECT_FALSE(control->IsScriptRunning());
    EXPECT_EQ(control->Driver().Progress(), nullptr);
}

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(Loader, RunFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& param) { return param.param.name; });

// A sub-directory stays inside the product directory: one leading "\\" is dropped, and
// what remains passes the codec's name guard or the line fails with the text as shown.
struct SubDirectoryCase {
    std::string subDirectory;
    std::string inside;  // where the program lands under the product directory; empty: refused
};

class SubDirectoryTest : public VexaLoaderTest, public ::testing::WithParamInterface<SubDirectoryCase> {};

TEST_P(SubDirectoryTest, ExpandsInsideTheProductDirectoryOrRefuses) {
    std::string signature = m_.Serve("Hello.cab", kProgramCab);
    m_.ServeScript(ProgramLine("Hello.cab", signature, 0, GetParam().subDirectory) + kExecute);
    auto control = NewControl();
    ASSERT_TRUE(Visit(*control));
    if (GetParam().inside.empty()) {
        std::string shown = GetParam().subDirectory.substr(GetParam().subDirectory.starts_with('\\') ? 1 : 0);
        EXPECT_EQ(Errors(), std::vector<std::string>{"Invalid sub-directory specified in script. Sub-directory: " +
                                                     shown + "\\"});
        EXPECT_TRUE(m_.processes.Starts().empty());
        return;
    }
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    const fs::path product = control->GetProductDirectory();
    EXPECT_EQ(ReadFile(product / GetParam().inside / "Hello.exe"), kProgramBytes);
}

void PrintTo(const SubDirectoryCase& c, std::ostream* out) { *out << c.subDirectory; }

INSTANTIATE_TEST_SUITE_P(Loader, SubDirectoryTest,
                         ::testing::Values(SubDirectoryCase{"", "."}, SubDirectoryCase{"\\", "."},
                                           SubDirectoryCase{"\\bin", "bin"}, SubDirectoryCase{"bin\\tools\\", "bin/tools"},
                                           SubDirectoryCase{"a..b", "a..b"}, SubDirectoryCase{"..", ""},
                                           SubDirectoryCase{"\\..\\out", ""}, SubDirectoryCase{"bin\\...\\x", ""},
                                           SubDirectoryCase{"C:x", ""}, SubDirectoryCase{"C:\\x", ""},
                                           SubDirectoryCase{"\\\\x", ""}, SubDirectoryCase{"/x", ""},
                                           SubDirectoryCase{"\\\\server\\share", ""}));

TEST_F(VexaLoaderTest, CancelStopsTheTransferAndRemovesTheProductDirectory) {
    std::string signature = m_.Serve("Hello.cab", kProgramCab);
    m_.internet.Script(kPage + "Hello.cab", kProgramCab).stallAfter = 10;
    m_.ServeScript(ProgramLine("Hello.cab", signature) + kExecute);
    auto control = NewControl();
    ASSERT_TRUE(control->RunScript("Script.Cab"));
    ASSERT_TRUE(m_.RunUntil([&] { return m_.internet.WaitForStall(std::chrono::milliseconds(0)); }));
    ProgressWindow* progress = control->Driver().Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->RequestClose([](const std::string&) { return true; },
                                       [&] { m_.windows.Post(control->Window(), kRunCancel, 0, 0); }));
    m_.RunUntil([&] { return Ended(); });
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"ScriptError 0 "});
    EXPECT_FALSE(control->IsScriptRunning());
    EXPECT_TRUE(m_.internet.Sessions().back().closed);
    EXPECT_TRUE(fs::is_empty(control->Driver().Cache().GetTempFolder()) ||
                !fs::exists(fs::path(control->Driver().Cache().GetTempFolder()) / "~pr"));
    EXPECT_TRUE(m_.processes.Starts().empty());
}

// A library whose file cannot be replaced now (here a folder stands in its place) waits for
// the restart, and the program is not started.
TEST_F(VexaLoaderTest, LibraryInUseEndsWithTheRebootQuestion) {
    fs::create_directories(fs::path(m_.SystemDirectory()) / "Lib.dll");
    std::string libraryCab = vexa::test::CabinetOf({{"Lib.dll", "library"}});
    m_.Serve("Lib.cab", libraryCab);
    m_.ServeScript("InstallDllFile \"Lib.cab\", \"" + std::to_string(libraryCab.size()) +
                   "\", \"Lib.dll\", \"1,0,0,0\", \"0\", \"7\", \"\"\r\n" + kExecute);
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        m_.ui.Answer(yes ? "yes" : "no");
        auto control = NewControl();
        ASSERT_TRUE(control->RunScript("Script.Cab"));
        m_.RunUntil([&] { return !control->IsScriptRunning(); });
        EXPECT_EQ(m_.events.lines, yes ? std::vector<std::string>{"MiscEvent REBOOT"} : std::vector<std::string>{});
        EXPECT_EQ(Errors(), std::vector<std::string>{});
        EXPECT_EQ(m_.components.Restarts(), yes ? 1 : 0);
        EXPECT_TRUE(m_.processes.Starts().empty());
        ASSERT_FALSE(m_.components.PendingReplacements().empty());
        EXPECT_EQ(m_.components.PendingReplacements().back().second,
                  (fs::path(m_.SystemDirectory()) / "Lib.dll").string());
        m_.events.lines.clear();
    }
}

TEST_F(VexaLoaderTest, ControlsAreSkippedReplacedWhereRegisteredOrInstalledAndRegistered) {
    const std::string classId = "{0B8F3C24-51E6-4D0A-9A4E-2F17C6D85B90}";
    std::string controlCab = vexa::test::CabinetOf({{"Grid.ocx", "control"}});
    m_.Serve("Grid.cab", controlCab);
    m_.ServeScript("InstallOcxFile \"Grid.cab\", \"" + std::to_string(controlCab.size()) + "\", \"Grid.ocx\", \"1,0,0,7\", \"" +
                   classId + "\", \"0\", \"7\", \"\"\r\n" + kExecute);
    fs::path registered = fs::path(m_.root.path()) / "elsewhere" / "Grid.ocx";
    fs::create_directories(registered.parent_path());
    std::ofstream(registered) << "old";
    m_.registry.WriteString(RegistryRoot::ClassesRoot, {"CLSID", classId, "InprocServer32"}, "", registered.string());
    m_.components.AddServer(registered.string(), true, true);
    m_.components.SetFileVersion("Grid.ocx", "1,0,0,7");

    m_.components.SetFileVersion(registered.string(), "1,0,0,7");
    ASSERT_TRUE(Visit(*NewControl()));
    EXPECT_EQ(m_.Fetches("Grid.cab"), 0u) << "equal version: nothing to fetch";

    m_.components.SetFileVersion(registered.string(), "1,0,0,6");
    ASSERT_TRUE(Visit(*NewControl()));
    EXPECT_EQ(m_.Fetches("Grid.cab"), 1u);
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    EXPECT_EQ(ReadFile(registered), "control") << "replaced where it is registered";
    EXPECT_EQ(m_.components.Calls(), std::vector<std::string>{"DllRegisterServer " + registered.string()});
}

TEST_F(VexaLoaderTest, CustomEventsFireOncePerMessageWithTheirParameterOnlyInside) {
    auto control = NewControl();
    ASSERT_TRUE(control->DefineCustomEvent("GOTO URL"));
    ASSERT_TRUE(control->DefineCustomEvent("GOTO URL"));
    m_.windows.RefuseMessageName("REFUSED");
    EXPECT_FALSE(control->DefineCustomEvent("REFUSED"));
    std::vector<std::string> seen;
    m_.events.onEvent = [&](const EventEntry&) { seen.push_back(control->GetCustomEventPara()); };

    const std::uint32_t message = m_.windows.RegisterMessage("goto url");
    const std::uint16_t atom = m_.windows.AddAtom("http://pages.test/next.htm");
    ASSERT_TRUE(m_.windows.Send(control->Window(), message, atom, 0, 1000));
    ASSERT_TRUE(m_.windows.Send(control->Window(), message, 0, 0, 1000));
    EXPECT_EQ(m_.events.lines, (std::vector<std::string>{"CustomEvent GOTO URL", "CustomEvent GOTO URL"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"http://pages.test/next.htm", ""}));
    EXPECT_EQ(control->GetCustomEventPara(), "");
}

TEST_F(VexaLoaderTest, DispatchTableCarriesTheIdsAndProperties) {
    const auto& table = VexaLoaderDispatch();
    EXPECT_EQ(table.FindMethod("RunScript")->id, 6);
    EXPECT_EQ(table.FindMethod("Cmd")->parameters.size(), 2u);
    EXPECT_EQ(table.FindMethod("GetCustomVar")->parameters.size(), 0u);
    EXPECT_EQ(table.FindEvent(3)->name, "CustomEvent");
    auto control = NewControl();
    table.Properties()[1].put(*control, "http://cabs.test/dir");
    EXPECT_EQ(control->defaultUrl, "http://cabs.test/dir");
    EXPECT_EQ(table.Properties()[1].name, "DefaultURL");
    auto result = Invoke(*control, *table.FindMethod("Test1"), {});
    EXPECT_EQ(std::get<bool>(result.value), true);
}

}  // namespace
}  // namespace vexa::loader
