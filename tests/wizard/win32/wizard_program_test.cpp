// VexaWebExpress.exe as its users meet it: the program runs as a process of its own from a
// wizard directory that the test assembles beside it, and the test works its windows from
// outside as a user would: buttons, boxes, lists, the pop-up menu, the folder browser, the
// file dialogs and the message boxes. A picture of every step is kept in the test's build
// folder (wizard-*.png).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/interop/build_machine_command.hpp"
#include "tests/interop/scratch_folder.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/program_windows.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/window_picture.hpp"
#include "tests/wizard/win32/release_description.hpp"
#include "wizard/help_texts.hpp"
#include "wizard/win32/wizard_resources.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard::test {
namespace {

namespace fs = std::filesystem;
using vexa::test::DisplayAvailable;
using vexa::test::ExpectMessage;
using vexa::test::ListEntries;
using vexa::test::TextOf;
using vexa::test::WaitUntil;
using vexa::testing::ReadFile;
using vexa::testing::WriteFile;
using Program = vexa::test::WindowedProcess;

const std::string kTitle = texts::kTitle;
const std::string kWebSite = "http://127.0.0.1:8080/vexa/";
const std::string kActiveX = "http://127.0.0.1:8080/vexa/activex";  // typed without its final "/"

// Bytes that do not compress, so that a cabinet is about as large as its file.
std::string Noise(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

void Put(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    WriteFile(path.string(), bytes);
}

std::vector<std::string> Sorted(std::vector<std::string> entries) {
    std::sort(entries.begin(), entries.end());
    return entries;
}

// A window's whole text, however long, asked by WM_GETTEXT.
std::string WholeText(HWND window) {
    DWORD_PTR length = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          5000, &copied);
    text.resize(copied);
    return text;
}

HWND ChildById(HWND window, int id) {
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM context) {
            auto& s = *reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) != s.id) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The same files with the same times, so that two builds meet the same program.
void CopyProgram(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(from))
        if (entry.is_regular_file()) fs::last_write_time(to / fs::relative(entry.path(), from), entry.last_write_time());
}

std::string InQuotes(const std::string& text) { return "'" + text + "'"; }

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    return Sorted(names);
}

class WizardProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayAvailable()) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
        fs::create_directories(tmp_);
    }

    // The wizard's directory as the Windows build has none: the program, the loader control
    // and a cabinet standing for its code-download cabinet, the stand-alone stub and the
    // page template. `leaveOut` names a file not to put there.
    std::string MakeWizardDirectory(const std::string& leaveOut = {}) {
        fs::create_directories(app_ / "HtmlTemplates");
        const std::pair<std::string, std::string> files[] = {
            {"VexaLoad.ocx", ReadFile(VEXA_LOADER_OCX)},
            {"VexaLoad.cab", vexa::test::CabinetOf({{"VEXALOAD.OCX", ReadFile(VEXA_LOADER_OCX)}})},
            {"VexaStandAloneWebProg.exe", ReadFile(VEXA_STAND_ALONE_PROGRAM)},
            {"HtmlTemplates\\Template01.htm", ReadFile(VEXA_TEMPLATE)},
        };
        for (const auto& [name, bytes] : files)
            if (name != leaveOut) WriteFile((app_ / name).string(), bytes);
        fs::copy_file(VEXA_WEB_EXPRESS, app_ / "VexaWebExpress.exe");
        return (app_ / "VexaWebExpress.exe").string();
    }

    // A small program with names in lower case, as the wizard lists them here, so that a
    // build on a system whose names keep their case makes the same release of it. "notes.txt"
    // is the file left out.
    void MakeProgram(const fs::path& folder) {
        Put(folder / "sample.exe", "MZ" + Noise(3000, 1));
        Put(folder / "readme.txt", "Read me.\r\n");
        Put(folder / "notes.txt", "Not part of the program.\r\n");
        Put(folder / "data" / "levels.dat", Noise(20'000, 2));
        Put(folder / "sounds" / "eagle.wav", std::string(30'000, 'e'));
        Put(folder / "tools" / "convert.exe", "MZ" + Noise(2000, 3));
    }

    void Start(const std::string& program) {
        program_ = std::make_unique<Program>(program, tmp_);
        ASSERT_TRUE(program_->Started()) << program;
        main_ = program_->WaitForWindow([](HWND window) { return TextOf(window).starts_with(kTitle + " - "); });
        ASSERT_NE(main_, nullptr) << "no wizard window";
    }

    // A control of the window or of one of its frames, by its number.
    HWND Control(int id) const { return ChildById(main_, id); }
    std::string Text(int id) const { return WholeText(Control(id)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Control(id)); }
    bool Visible(int id) const { return ::IsWindowVisible(Control(id)); }
    std::string Caption() const { return TextOf(main_); }
    // Waits until the window's caption is `caption`: the step has changed.
    bool CaptionBecomes(const std::string& caption) const {
        return WaitUntil([&] { return Caption() == caption; });
    }

    // Posted, as a click comes: a click that opens a dialog does not hold the test.
    void Click(int id) const { ::PostMessageA(Control(id), BM_CLICK, 0, 0); }
    // As typing over the whole text would: a box of many lines says nothing of a WM_SETTEXT.
    void Type(int id, const std::string& text) const {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(Control(id), EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, &ignored);
        ::SendMessageTimeoutA(Control(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()),
                              SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    // A left click on entry `index` of a list box, `x` pixels from its left.
    void ClickEntry(int id, int index, int x = 40) const {
        HWND list = Control(id);
        DWORD_PTR height = 0, top = 0;
        ::SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
        ::SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &top);
        const LPARAM at = MAKELPARAM(x, (index - static_cast<int>(top)) * static_cast<int>(height) + height / 2);
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
    int IndexOf(int id, const std::string& entry) const {
        const auto entries = ListEntries(Control(id));
        const auto found = std::find(entries.begin(), entries.end(), entry);
        return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    }
    int Selection(int id) const {
        DWORD_PTR selected = 0;
        ::SendMessageTimeoutA(Control(id), LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
        return static_cast<int>(static_cast<LRESULT>(selected));
    }

    // A window of the wizard's other than its main one: a dialog it owns, or its pop-up menu.
    HWND OwnedWindow(const char* className = "#32770") const {
        return program_->WaitForWindow([&](HWND window) {
            char name[32] = {};
            ::GetClassNameA(window, name, sizeof name);
            return window != main_ && std::string(name) == className;
        });
    }

    // "..." of step 1, the folder chosen in the browser, and the listing waited for.
    void ChooseProgramDirectory(const fs::path& folder) {
        Click(IDC_SELECT_DIRECTORY);
        HWND browser = OwnedWindow();
        ASSERT_NE(browser, nullptr);
        ASSERT_TRUE(vexa::test::ChooseFolder(program_->Handle(), browser, folder));
        ASSERT_TRUE(WaitUntil([&] { return Text(IDC_DIRECTORY) == folder.string() + "\\" && Enabled(IDC_NEXT); }))
            << Text(IDC_DIRECTORY);
    }

    // An OCX or DLL button's file dialog, answered with `file`.
    void AddComponent(int button, const fs::path& file) {
        Click(button);
        HWND dialog = OwnedWindow();
        ASSERT_NE(dialog, nullptr);
        HWND name = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            ::EnumChildWindows(
                dialog,
                [](HWND child, LPARAM found) {
                    char kind[16] = {};
                    ::GetClassNameA(child, kind, sizeof kind);
                    if (::lstrcmpiA(kind, "Edit") != 0 || !::IsWindowVisible(child)) return TRUE;
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&name));
            return name != nullptr;
        }));
        DWORD_PTR ignored = 0;
        const std::string path = file.string();
        ::SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000,
                              &ignored);
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([dialog] { return !::IsWindow(dialog); }));
    }

    // Next, and the caption of the step it leads to.
    void Next(const std::string& caption) {
        Click(IDC_NEXT);
        ASSERT_TRUE(CaptionBecomes(caption)) << Caption();
    }
    void Back(const std::string& caption) {
        Click(IDC_BACK);
        ASSERT_TRUE(CaptionBecomes(caption)) << Caption();
    }

    // A picture of `window` (the wizard's by default) in the test's build folder; `whole`
    // takes the screen, for a pop-up menu that reaches beyond the window.
    void Picture(const std::string& name, HWND window = nullptr, bool whole = false) const {
        ::Sleep(300);  // the window has painted what it was just told
        const std::string path = std::string(VEXA_TEST_ARTIFACTS) + "/wizard-" + name + ".png";
        HWND shown = whole ? ::GetDesktopWindow() : window ? window : main_;
        EXPECT_TRUE(vexa::test::SaveWindowPicture(shown, path)) << path;
    }

    // From start-up to the final step with every default taken; `folder` converted before
    // has its settings.
    void WalkToFinalStep(const fs::path& folder) {
        Next(kTitle + " - Step 1");
        ASSERT_NO_FATAL_FAILURE(ChooseProgramDirectory(folder));
        for (int step = 2; step <= 5; ++step) ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step " + std::to_string(step)));
        ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Final Step"));
    }

    // The success window once the release is made, closed with OK, and the program's end.
    void EndWithSuccess() {
        HWND success = program_->WaitForWindow("Success - Your Web page is ready!");
        ASSERT_NE(success, nullptr);
        ::PostMessageA(success, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(program_->Finish(), 0u);
    }

    // List1's pop-up menu, opened by the right mouse button, and its entry `position` (1:
    // "Select All Files", 2: "Clear All Files") chosen with the keyboard.
    void ChooseFromList1Menu(int position, const std::string& picture = {}) {
        ::PostMessageA(Control(IDC_LIST1), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 8));
        HWND menu = OwnedWindow("#32768");
        ASSERT_NE(menu, nullptr) << "no pop-up menu";
        if (!picture.empty()) Picture(picture, nullptr, true);
        for (int i = 0; i < position; ++i) ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitUntil([menu] { return !::IsWindowVisible(menu); }));
    }

    // A help window: its caption, a picture, and OK.
    void LookAtHelpWindow(int button, const std::string& caption, const std::string& picture) {
        Click(button);
        HWND help = program_->WaitForWindow(caption);
        ASSERT_NE(help, nullptr) << caption;
        Picture(picture, help);
        ::PostMessageA(help, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([help] { return !::IsWindow(help); }));
    }

    fs::path Release(const fs::path& folder) const { return folder / texts::kProjectFolder / "Release"; }
    fs::path ReleaseActiveX(const fs::path& folder) const { return folder / texts::kProjectFolder / "ReleaseActiveX"; }

    vexa::testing::TempDir dir_;
    fs::path tmp_ = dir_.path() / "tmp";
    fs::path app_ = dir_.path() / "wizard";
    fs::path prog_ = dir_.path() / "prog";
    std::unique_ptr<Program> program_;
    HWND main_ = nullptr;
};

// Without the loader's files beside it the wizard says which one is missing, and ends.
TEST_F(WizardProgram, StartUpRefusesAWizardDirectoryWithoutTheLoadersFiles) {
    for (const char* missing : {texts::kLoaderOcx, texts::kLoaderCab}) {
        SCOPED_TRACE(missing);
        fs::remove_all(app_);
        const std::string wizard = MakeWizardDirectory(missing);
        Program program(wizard, tmp_);
        ASSERT_TRUE(program.Started());
        ExpectMessage(program, kTitle,
                      std::string("Error. ") + missing + "  must reside in the " + app_.string() + "\\ directory.");
        EXPECT_EQ(program.Finish(), 1u);
    }
}

// The whole conversion of a small program: every step with Back and Next, the rules of the
// lists, the help, the release and the success window; then the release must be the one the
// console wizard makes of the same program with the same answers.
TEST_F(WizardProgram, ConvertsAProgramThroughEveryStep) {
    MakeProgram(prog_);
    const fs::path copy = dir_.path() / "prog-console";
    CopyProgram(prog_, copy);
    const fs::path components = dir_.path() / "components";
    fs::create_directories(components);
    fs::copy_file(VEXA_LOADER_OCX, components / "helper.dll");
    fs::copy_file(VEXA_LOADER_OCX, components / "unregistered.ocx");
    ASSERT_NO_FATAL_FAILURE(Start(MakeWizardDirectory()));

    // The introduction.
    EXPECT_EQ(Caption(), kTitle + " - Introduction");
    EXPECT_EQ(Text(IDC_VERSION), "Version: 0.1.0");
    EXPECT_TRUE(Enabled(IDC_NEXT));
    EXPECT_FALSE(Enabled(IDC_BACK));
    EXPECT_FALSE(Enabled(IDC_FINISH));
    EXPECT_TRUE(Visible(IDC_LOGO));
    EXPECT_TRUE(Visible(IDD_FRAME0));
    Picture("step0-introduction");

    // Step 1: Next waits for a listed directory, and the web site box for a directory.
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 1"));
    EXPECT_FALSE(Enabled(IDC_NEXT));
    EXPECT_FALSE(Enabled(IDC_WEB_SITE));
    EXPECT_FALSE(Enabled(IDC_HELP_WEB_SITE));
    EXPECT_FALSE(Visible(IDD_FRAME0));
    Picture("step1-no-directory");
    Click(IDC_HELP_DIRECTORY);
    ExpectMessage(*program_, help::kCaption, help::kProgramDirectory);
    ASSERT_NO_FATAL_FAILURE(ChooseProgramDirectory(prog_));
    EXPECT_TRUE(Enabled(IDC_WEB_SITE));
    EXPECT_EQ(Text(IDC_WEB_SITE), "http://www.example.com/");
    Type(IDC_WEB_SITE, "   ");
    Click(IDC_NEXT);
    ExpectMessage(*program_, kTitle, std::string(texts::kNoWebSite) + "http://www.example.com/");
    EXPECT_EQ(Caption(), kTitle + " - Step 1");
    Type(IDC_WEB_SITE, "http://127.0.0.1:8080/vexa");
    Picture("step1-directory");
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 2"));
    ASSERT_NO_FATAL_FAILURE(Back(kTitle + " - Step 1"));
    EXPECT_EQ(Text(IDC_WEB_SITE), kWebSite) << "the final / is added on the way out";
    EXPECT_TRUE(Enabled(IDC_NEXT));
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 2"));

    // Step 2: a new project has every file checked; the menu clears and selects them all.
    const std::vector<std::string> files = {"data\\levels.dat", "notes.txt",         "readme.txt",
                                            "sample.exe",       "sounds\\eagle.wav", "tools\\convert.exe"};
    EXPECT_EQ(Sorted(ListEntries(Control(IDC_LIST1))), files);
    EXPECT_FALSE(Visible(IDC_LOGO));
    EXPECT_TRUE(Enabled(IDC_NEXT));
    EXPECT_FALSE(Visible(IDC_STEP2_NOTE));
    Picture("step2-program-files");
    ASSERT_NO_FATAL_FAILURE(ChooseFromList1Menu(2, "step2-menu"));
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(IDC_NEXT) && Visible(IDC_STEP2_NOTE); }));
    Picture("step2-cleared");
    ASSERT_NO_FATAL_FAILURE(ChooseFromList1Menu(1));
    EXPECT_TRUE(WaitUntil([&] { return Enabled(IDC_NEXT) && !Visible(IDC_STEP2_NOTE); }));
    // "notes.txt" unchecked by its box; the selected-items view shows the others.
    ClickEntry(IDC_LIST1, IndexOf(IDC_LIST1, "notes.txt"), 6);
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_SELECTED_ITEM) == "notes.txt"; })) << Text(IDC_SELECTED_ITEM);
    Click(IDC_SHOW_SELECTED_ONLY);
    EXPECT_TRUE(WaitUntil([&] { return Visible(IDC_LIST2) && !Visible(IDC_LIST1); }));
    std::vector<std::string> selected = files;
    std::erase(selected, "notes.txt");
    EXPECT_EQ(Sorted(ListEntries(Control(IDC_LIST2))), selected);
    Picture("step2-selected-only");
    Click(IDC_SHOW_SELECTED_ONLY);
    EXPECT_TRUE(WaitUntil([&] { return Visible(IDC_LIST1) && !Visible(IDC_LIST2); }));

    // Step 3: the checked EXE files; the one clicked is the program to run.
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 3"));
    EXPECT_EQ(Sorted(ListEntries(Control(IDC_LIST3))), (std::vector<std::string>{"sample.exe", "tools\\convert.exe"}));
    ClickEntry(IDC_LIST3, IndexOf(IDC_LIST3, "sample.exe"));
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_EXE_FILENAME) == "sample.exe"; }));
    Type(IDC_EXE_PARAS, "\"-demo\"");
    Picture("step3-program-to-run");

    // Step 4: both addresses come from the web site; Next only while both are typed.
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 4"));
    EXPECT_EQ(Text(IDC_PUBLICATION_URL), kWebSite + "sample/");
    EXPECT_EQ(Text(IDC_ACTIVEX_URL), kWebSite + "ActiveX/");
    Type(IDC_PUBLICATION_URL, " ");
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(IDC_NEXT); }));
    Type(IDC_PUBLICATION_URL, kWebSite + "sample/");
    Type(IDC_ACTIVEX_URL, kActiveX);
    EXPECT_TRUE(WaitUntil([&] { return Enabled(IDC_NEXT); }));
    Picture("step4-publication");

    // Step 5: the loader's entry comes first and stays; the lists refuse what they must.
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Step 5"));
    const std::vector<std::string> loader = {Upper((app_ / "VexaLoad.ocx").string())};
    EXPECT_EQ(ListEntries(Control(IDC_OCX_LIST)), loader);
    EXPECT_EQ(Selection(IDC_OCX_LIST), 0);
    EXPECT_FALSE(Enabled(IDC_REMOVE_OCX));
    ASSERT_NO_FATAL_FAILURE(AddComponent(IDC_ADD_OCX, app_ / "VexaLoad.ocx"));
    ExpectMessage(*program_, kTitle, "Error. You cannot add VexaLoad.ocx to the list (it was added automatically).");
    ASSERT_NO_FATAL_FAILURE(AddComponent(IDC_ADD_OCX, components / "unregistered.ocx"));
    ExpectMessage(*program_, "Error",
                  "The file you selected: \r\n\r\n" + (components / "unregistered.ocx").string() +
                      "\r\n\r\nis not a registered OCX/DLL file. You must select a file that is registered.");
    ASSERT_NO_FATAL_FAILURE(AddComponent(IDC_ADD_DLL, components / "helper.dll"));
    const std::vector<std::string> dll = {Lower((components / "helper.dll").string())};
    EXPECT_TRUE(WaitUntil([&] { return ListEntries(Control(IDC_DLL_LIST)) == dll; }));
    EXPECT_TRUE(Enabled(IDC_REMOVE_DLL));
    ASSERT_NO_FATAL_FAILURE(AddComponent(IDC_ADD_DLL, components / "helper.dll"));
    ExpectMessage(*program_, kTitle, texts::kAlreadyInList);
    ASSERT_NO_FATAL_FAILURE(AddComponent(IDC_ADD_OCX, components / "helper.dll"));
    ExpectMessage(*program_, kTitle, texts::kAlreadyInDllList);
    ClickEntry(IDC_OCX_LIST, 0);
    Click(IDC_REMOVE_OCX);
    ::Sleep(300);
    EXPECT_EQ(ListEntries(Control(IDC_OCX_LIST)), loader);
    EXPECT_FALSE(Enabled(IDC_REMOVE_OCX));
    ASSERT_NO_FATAL_FAILURE(LookAtHelpWindow(IDC_HELP_COMPONENTS, help::kOcxList.caption, "help-components"));
    Picture("step5-components");

    // Step 6: the names come from the program; Finish only while the page has a name.
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Final Step"));
    EXPECT_TRUE(Visible(IDC_LOGO));
    EXPECT_EQ(Text(IDC_HTML_FILENAME), "sample.htm");
    EXPECT_EQ(Text(IDC_HTML_TITLE), "The sample.exe Program Page");
    EXPECT_EQ(Text(IDC_STAND_ALONE_NAME), "sampleWebProg.exe");
    EXPECT_FALSE(Enabled(IDC_NEXT));
    Type(IDC_HTML_FILENAME, " ");
    EXPECT_TRUE(WaitUntil([&] { return !Enabled(IDC_FINISH); }));
    Type(IDC_HTML_FILENAME, "sample.htm");
    EXPECT_TRUE(WaitUntil([&] { return Enabled(IDC_FINISH); }));
    ASSERT_NO_FATAL_FAILURE(LookAtHelpWindow(IDC_HELP_SIGN_CODE, help::kSignCode.caption, "help-sign-code"));
    ASSERT_NO_FATAL_FAILURE(
        LookAtHelpWindow(IDC_HELP_MINIMIZE, help::kMinimizeDownloadTime.caption, "help-minimize-download-time"));
    Picture("step6-final-step");
    ASSERT_NO_FATAL_FAILURE(Back(kTitle + " - Step 5"));
    ASSERT_NO_FATAL_FAILURE(Next(kTitle + " - Final Step"));

    // Finish: the success window says where the release is and how to publish it.
    Click(IDC_FINISH);
    HWND success = program_->WaitForWindow("Success - Your Web page is ready!");
    ASSERT_NE(success, nullptr);
    const std::string release = Release(prog_).string() + "\\";
    const std::string releaseActiveX = ReleaseActiveX(prog_).string() + "\\";
    const std::string lines[] = {"Successfully converted the program: ", "sample.exe",
                                 "and all its associated files into a Web page. ", "", "To test the Web Page locally: ",
                                 "Double-click the file: ", release + "sample.htm", "", "To publish this Web page: ", "",
                                 "(1) Copy all the files in the Release directory: ", release,
                                 "into the following directory on your Web site: ", kWebSite + "sample/", "",
                                 "(2) Copy all the files in the Release directory: ", releaseActiveX,
                                 "into the following directory of your Web site: "};
    std::string finalMessage;
    for (const std::string& line : lines) finalMessage += line + "\r\n";
    EXPECT_EQ(WholeText(ChildById(success, IDC_FINAL_MESSAGE)), finalMessage + kActiveX + "/");
    Picture("success", success);
    // Without a default printer, as under Wine, printing says so and the window stays.
    ::PostMessageA(ChildById(success, IDC_PRINT), BM_CLICK, 0, 0);
    if (HWND refusal = program_->WaitForWindow("Print this page")) {
        Picture("success-print", refusal);
        ::PostMessageA(refusal, WM_COMMAND, IDOK, 0);
    }
    ::PostMessageA(success, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program_->Finish(), 0u);
    EXPECT_EQ(FilesIn(Release(prog_)),
              (std::vector<std::string>{"convertEXE.cab", "eagleWAV.cab", "levelsDAT.cab", "readmeTXT.cab",
                                        "sample.htm", "sampleEXE.cab", "sampleScript.Cab", "sampleWebProg.exe"}));
    EXPECT_EQ(FilesIn(ReleaseActiveX(prog_)), (std::vector<std::string>{"VexaLoad.cab", "VexaLoad.ocx", "helper.Cab"}));

    // The console wizard of the build machine, with the same answers.
    if (!fs::exists(VEXA_NATIVE_VEXA)) GTEST_SKIP() << "no native build of vexa to compare with: " << VEXA_NATIVE_VEXA;
    vexa::test::ScratchFolder scratch;
    auto machine = [](const fs::path& path) { return InQuotes(vexa::test::BuildMachinePath(path)); };
    const std::string command = "VEXA_PREFIX=" + machine(scratch.Path() / "prefix") + " " + InQuotes(VEXA_NATIVE_VEXA) +
                                " wizard build " + machine(copy) + " --wizard-dir " + machine(app_) + " --web-site " +
                                InQuotes(kWebSite) + " --exclude notes.txt --exe sample.exe --exe-params '\"-demo\"'" +
                                " --publication-url " + InQuotes(kWebSite + "sample/") + " --activex-url " +
                                InQuotes(kActiveX) + " --dll " + machine(components / "helper.dll") +
                                " --page sample.htm --title 'The sample.exe Program Page'" +
                                " --stand-alone sampleWebProg.exe --multi-cab --no-sign-code --yes";
    const auto console = vexa::test::RunOnBuildMachine("console-wizard", command, scratch);
    ASSERT_EQ(console.status, 0) << command << "\n" << console.output;
    const fs::path stub = app_ / "VexaStandAloneWebProg.exe";
    const std::string ours = DescribeRelease(Release(prog_), ReleaseActiveX(prog_), stub);
    WriteFile(std::string(VEXA_TEST_ARTIFACTS) + "/wizard-release.txt", ours);
    EXPECT_EQ(ours, DescribeRelease(Release(copy), ReleaseActiveX(copy), stub));
}

// A second build of the same program asks before it empties the release: No leaves it as it
// was and the window at the final step; Yes makes it anew.
TEST_F(WizardProgram, ARebuildAsksBeforeReplacingTheRelease) {
    MakeProgram(prog_);
    const std::string wizard = MakeWizardDirectory();
    ASSERT_NO_FATAL_FAILURE(Start(wizard));
    ASSERT_NO_FATAL_FAILURE(WalkToFinalStep(prog_));
    Click(IDC_FINISH);
    ASSERT_NO_FATAL_FAILURE(EndWithSuccess());
    const std::string stale = (Release(prog_) / "stale.txt").string();
    WriteFile(stale, "from before");

    ASSERT_NO_FATAL_FAILURE(Start(wizard));
    ASSERT_NO_FATAL_FAILURE(WalkToFinalStep(prog_));
    const std::string question =
        std::string(texts::kDeleteReleaseFiles) + "\r\n\r\n" + Release(prog_).string() + "\\\r\n" +
        ReleaseActiveX(prog_).string() + "\\\r\n\r\n" + texts::kReleaseUpdated;
    Click(IDC_FINISH);
    HWND box = program_->WaitForWindow(texts::kUpdatingReleaseFiles);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(vexa::test::Says(box, question));
    Picture("release-question", box);
    ::PostMessageA(box, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitUntil([box] { return !::IsWindow(box); }));
    ::Sleep(300);
    EXPECT_EQ(Caption(), kTitle + " - Final Step");
    EXPECT_TRUE(Enabled(IDC_FINISH));
    EXPECT_EQ(ReadFile(stale), "from before");

    Click(IDC_FINISH);
    box = program_->WaitForWindow(texts::kUpdatingReleaseFiles);
    ASSERT_NE(box, nullptr);
    ::PostMessageA(box, WM_COMMAND, IDYES, 0);
    ASSERT_NO_FATAL_FAILURE(EndWithSuccess());
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(Release(prog_) / "sample.htm"));
}

// Cancel while a large file goes into its cabinet: the build stops there, says so, empties
// the release and returns to step 6 with Next disabled; the window answered throughout.
TEST_F(WizardProgram, CancelDuringACabinetRollsTheBuildBack) {
    Put(prog_ / "sample.exe", "MZ" + Noise(3000, 1));
    Put(prog_ / "big.bin", Noise(96u << 20, 4));
    ASSERT_NO_FATAL_FAILURE(Start(MakeWizardDirectory()));
    ASSERT_NO_FATAL_FAILURE(WalkToFinalStep(prog_));
    Click(IDC_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_WORK_PROGRESS).find("Adding big.bin into bigBIN.cab") != std::string::npos; }))
        << Text(IDC_WORK_PROGRESS);
    EXPECT_EQ(Caption(), kTitle + " - Creating the Web Page");
    for (int button : {IDC_BACK, IDC_NEXT, IDC_FINISH, IDC_EXIT}) EXPECT_FALSE(Enabled(button)) << button;
    Picture("step7-working");
    Click(IDC_CANCEL_WORK);
    ExpectMessage(*program_, kTitle, texts::kCabCancelled);
    ASSERT_TRUE(CaptionBecomes(kTitle + " - Step 6")) << Caption();
    EXPECT_FALSE(Enabled(IDC_NEXT));
    EXPECT_TRUE(Enabled(IDC_FINISH));
    EXPECT_TRUE(Enabled(IDC_BACK));
    EXPECT_TRUE(Enabled(IDC_EXIT));
    EXPECT_EQ(FilesIn(Release(prog_)), std::vector<std::string>{});
    EXPECT_EQ(FilesIn(ReleaseActiveX(prog_)), std::vector<std::string>{});
    Picture("step6-rolled-back");
    Click(IDC_EXIT);
    EXPECT_EQ(program_->Finish(), 0u);
}

// A sign-code command runs while the window waits for it, and Cancel stops the waiting: the
// rest of the signing is skipped and the build goes on. The command is a copy of the wizard
// where no loader is, which shows its refusal until it is closed.
TEST_F(WizardProgram, CancelWhileASignCodeCommandRunsSkipsTheSigning) {
    MakeProgram(prog_);
    const fs::path signer = dir_.path() / "signer" / "VexaWebExpress.exe";
    fs::create_directories(signer.parent_path());
    fs::copy_file(VEXA_WEB_EXPRESS, signer);
    ASSERT_NO_FATAL_FAILURE(Start(MakeWizardDirectory()));
    ASSERT_NO_FATAL_FAILURE(WalkToFinalStep(prog_));
    Type(IDC_SIGN_CODE, signer.string() + " \"%1\"\r\n" + signer.string() + " second");
    Click(IDC_FINISH);
    const std::string running = "Executing Sign Code Command: " + signer.string() + " \"" +
                                (Release(prog_) / "sampleScript.Cab").string() + "\"";
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_WORK_PROGRESS).find(running) != std::string::npos; }))
        << Text(IDC_WORK_PROGRESS);
    Picture("step7-signing");
    Click(IDC_CANCEL_WORK);
    ExpectMessage(*program_, kTitle, texts::kSigningCanceled);
    ASSERT_NE(program_->WaitForWindow("Success - Your Web page is ready!"), nullptr);
    EXPECT_EQ(Text(IDC_WORK_PROGRESS).find("second"), std::string::npos) << Text(IDC_WORK_PROGRESS);
    ASSERT_NO_FATAL_FAILURE(EndWithSuccess());
    EXPECT_TRUE(fs::exists(Release(prog_) / "sampleWebProg.exe"));
    // The command is not stopped by the wizard: its refusal is closed here.
    HWND refusal = ::FindWindowA(nullptr, kTitle.c_str());
    ASSERT_NE(refusal, nullptr);
    ::PostMessageA(refusal, WM_COMMAND, IDOK, 0);
}

}  // namespace
}  // namespace vexa::wizard::test
