// VexaInstall.exe as its users meet it: a setup program made here from the built installer
// and an attachment of a script, a DLL, a control and two program cabinets runs as a
// process of its own, and the test works its windows from outside: Install, the questions,
// Cancel and the message boxes. What it leaves is checked on the machine afterwards.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/registry_path.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "installer/win32/install_resources.hpp"
#include "platform/win32/win32_registry.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/program_windows.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

namespace fs = std::filesystem;
using test::ChildTexts;
using test::DisplayAvailable;
using test::FileSpec;
using test::TextOf;
using test::WaitUntil;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using SetupProcess = test::WindowedProcess;

const std::string kProduct = "Vexa Round Trip";
const std::string kDoneMessage = "The round trip is installed.";
const std::string kServerClass = "{5E1F7A31-0C2B-4D6E-9A8F-3B7C1D2E4F60}";
const std::string kDll = "vxtest.dll";
const std::string kServer = "vxserver.dll";

std::string Caption() { return std::string(kCaption); }

std::string SystemPath(const std::string& name) {
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

fs::path ProgramsFolder() {
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, folder);
    return folder;
}

std::vector<std::string> Key(std::string_view path, const std::string& product) {
    auto levels = SplitRegistryPath(path);
    levels.push_back(product);
    return levels;
}

std::optional<std::string> Value(std::string_view path, const std::string& name) {
    return Win32Registry().ReadString(RegistryRoot::LocalMachine, Key(path, kProduct), name);
}

// The deferred renames the system carries out at its next start, as one text.
const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
std::string PendingRenames() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::string data(65536, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    LONG status = ::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? data.substr(0, size) : std::string();
}
// Puts back what was pending before the test, so that the prefix's next start renames nothing of ours.
void RestorePendingRenames(const std::string& before) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (before.empty()) {
        ::RegDeleteValueA(key, "PendingFileRenameOperations");
    } else {
        ::RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                         reinterpret_cast<const BYTE*>(before.data()), static_cast<DWORD>(before.size()));
    }
    ::RegCloseKey(key);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Text(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }
bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)); }

// The main dialog and the message boxes share the caption; only the dialog has Install.
HWND MainDialog(const SetupProcess& setup) {
    return setup.WaitForWindow([](HWND window) { return TextOf(window) == Caption() && ::GetDlgItem(window, IDC_INSTALL); });
}
HWND MessageBoxOf(const SetupProcess& setup) {
    return setup.WaitForWindow([](HWND window) { return TextOf(window) == Caption() && !::GetDlgItem(window, IDC_INSTALL); });
}

// The text of a message box, its buttons aside.
std::string MessageText(HWND box) {
    for (const std::string& text : ChildTexts(box)) {
        if (text != "OK" && text != "&Yes" && text != "&No" && text != "Yes" && text != "No" && !text.empty()) return text;
    }
    return {};
}

// Waits for the message box, checks that its text begins with `text`, and answers it.
void Answer(const SetupProcess& setup, std::string_view text, int button) {
    HWND box = MessageBoxOf(setup);
    ASSERT_NE(box, nullptr) << text;
    EXPECT_TRUE(MessageText(box).starts_with(text)) << MessageText(box);
    ::PostMessageA(box, WM_COMMAND, button, 0);
    EXPECT_TRUE(WaitUntil([box] { return !::IsWindow(box); }));
}

void Press(HWND dialog, int id) { ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class InstallDialog : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayAvailable()) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
        Forget();
        fs::create_directories(tmp_);
        ::SetEnvironmentVariableA("VEXA_SERVER_LOG", serverLog_.c_str());
    }
    void TearDown() override {
        if (!::testing::Test::IsSkipped()) Forget();
    }

    // What an installation leaves outside the test's folder.
    void Forget() {
        std::error_code ignored;
        for (const std::string& name : {kDll, kServer}) fs::remove(SystemPath(name), ignored);
        fs::remove_all(group_, ignored);
        Win32Registry registry;
        registry.DeleteKey(RegistryRoot::LocalMachine, Key(kInstalledProgramsKey, kProduct));
        registry.DeleteKey(RegistryRoot::LocalMachine, Key(kUninstallKey, kProduct));
        registry.DeleteKey(RegistryRoot::ClassesRoot, SplitRegistryPath("CLSID->" + kServerClass));
    }

    // The script's lines; `tools` adds the second program cabinet, its shortcut and the program run.
    std::string Script(bool tools) const {
        auto size = [](const std::string& bytes) { return std::to_string(bytes.size()); };
        // The DLL first: a pause flag held from the start stops the worker after it.
        std::string script =
            "InstallDllFile \"VXTEST.CAB\",\"" + size(dllCab_) + "\",\"" + kDll + "\",\"5,0,3724,0\",\"1\",\"" +
            size(dll_) + "\",\"\"\r\n"
            "; the round trip's script\r\n"
            "SetProductName \"" + kProduct + "\"\r\n"
            "SetProductDirectory \"" + installDir_.string() + "\"\r\n"
            "SetProductProgramGroup \"<ProgramsGroup>\\" + kProduct + "\"\r\n"
            "SetDoneMessage \"" + kDoneMessage + "\"\r\n"
            "InstallOcxFile \"" + kServer + "\",\"" + size(server_) + "\",\"" + kServer + "\",\"1,0,0,0\",\"" +
            kServerClass + "\",\"1\",\"" + size(server_) + "\",\"\"\r\n"
            "InstallProgram \"PROGRAM.CAB\",\"" + size(programCab_) + "\",\"20240229123456\",\"1\",\"100\",\"\",\"\"\r\n"
            "CreateProgramGroup \"<ProductProgramGroup>\",\"Read Me\",\"<ProductDirectory>\\readme.txt\"\r\n";
        if (tools) {
            script +=
                "InstallProgram \"TOOLS.CAB\",\"" + size(toolsCab_) + "\",\"20240229123456\",\"1\",\"" + size(fixture_) +
                "\",\"\",\"\\bin\"\r\n"
                "CreateProgramGroup \"<ProductProgramGroup>\\Tools\",\"Fixture\",\"<ProductDirectory>\\bin\\fixture.exe\"\r\n"
                "Execute \"<ProductDirectory>bin\\fixture.exe\",\"" + report_ + "\",\"exit\",\"with blank\"\r\n";
        }
        return script;
    }

    // The setup program: the installer with an attachment holding `script` and the rest.
    std::string MakeSetup(const std::string& script) {
        std::vector<FileSpec> members = {{"Script.TXT", script}, {"VXTEST.CAB", dllCab_},
                                         {kServer, server_},     {"PROGRAM.CAB", programCab_},
                                         {"TOOLS.CAB", toolsCab_}};
#ifdef VEXA_UNINSTALL_PROGRAM
        members.push_back({"Uninstall.EXE", ReadFile(fs::absolute(VEXA_UNINSTALL_PROGRAM).string())});
#endif
        const std::string path = dir_ / "Setup.exe";
        WriteFile(path, ReadFile(fs::absolute(VEXA_INSTALL_PROGRAM).string()) + test::MakeCabinet(members));
        return path;
    }

    std::unique_ptr<SetupProcess> Start(const std::string& script) {
        auto process = std::make_unique<SetupProcess>(MakeSetup(script), tmp_);
        EXPECT_TRUE(process->Started());
        return process;
    }

    // The expansion directory the running setup program made.
    fs::path ExpansionDirectory() const {
        for (const auto& entry : fs::directory_iterator(tmp_)) {
            if (entry.is_directory() && entry.path().filename().string().starts_with("~vx")) return entry.path();
        }
        return {};
    }
    std::size_t TempsLeft() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp_), fs::directory_iterator()));
    }
    std::string Installed(const std::string& name) const { return (installDir_ / name).string(); }

    // Install pressed in the dialog, through to the done message and the program's end.
    void InstallAndFinish(const SetupProcess& setup, HWND main) {
        Press(main, IDC_INSTALL);
        ASSERT_NO_FATAL_FAILURE(Answer(setup, kDoneMessage, IDOK));
        EXPECT_EQ(setup.Finish(), 0u);
    }

    TempDir dir_;
    fs::path tmp_ = dir_.path() / "tmp";
    fs::path installDir_ = dir_.path() / "Programs" / "RoundTrip";
    fs::path group_ = ProgramsFolder() / kProduct;
    std::string report_ = dir_ / "ran.txt";
    std::string serverLog_ = dir_ / "server.log";

    std::string dll_ = ReadFile(fs::absolute(VEXA_VERSIONED_DLL).string());
    std::string dllCab_ = test::MakeCabinet({{kDll, dll_}});
    std::string server_ = ReadFile(fs::absolute(VEXA_SERVER_DLL).string());
    std::string programCab_ = test::MakeCabinet({{"readme.txt", "read me\r\n"}, {"docs\\guide.txt", "a guide\r\n"}});
    std::string fixture_ = ReadFile(fs::absolute(VEXA_PROCESS_FIXTURE).string());
    std::string toolsCab_ = test::MakeCabinet({{"fixture.exe", fixture_}});
};

TEST_F(InstallDialog, TheProgramAloneSaysItIsEmpty) {
    SetupProcess setup(fs::absolute(VEXA_INSTALL_PROGRAM).string(), tmp_);
    ASSERT_TRUE(setup.Started());
    ASSERT_NO_FATAL_FAILURE(Answer(setup, kOwnEmpty, IDOK));
    EXPECT_EQ(setup.Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
}

TEST_F(InstallDialog, CancelBeforeInstallingLeavesNothing) {
    auto setup = Start(Script(true));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(TempsLeft(), 1u);
    // The close box and Escape do nothing.
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ::PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    Press(main, IDC_CANCEL);
    EXPECT_EQ(setup->Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
    EXPECT_FALSE(fs::exists(installDir_));
}

// The password dialog stands above every window until the entry matches; a wrong one is
// told and asked again.
TEST_F(InstallDialog, AsksForThePasswordUntilItMatches) {
    auto setup = Start("SetPassword \"" + MakePasswordSetting("secret") + "\"\r\n" + Script(false));
    for (const char* entry : {"wrong", "secret"}) {
        HWND dialog = setup->WaitForWindow("Enter Your Password");
        ASSERT_NE(dialog, nullptr) << entry;
        EXPECT_TRUE(::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        ::SendMessageA(::GetDlgItem(dialog, IDC_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(entry));
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([dialog] { return !::IsWindow(dialog); }));
        if (std::string(entry) == "wrong") {
            ASSERT_NO_FATAL_FAILURE(Answer(*setup, kWrongPassword, IDOK));
        }
    }
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    Press(main, IDC_CANCEL);
    EXPECT_EQ(setup->Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
}

TEST_F(InstallDialog, InstallsEverythingTheScriptNames) {
    auto setup = Start(Script(true));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Text(main, IDC_PROGRAM_NAME), kProduct);
    EXPECT_EQ(Text(main, IDC_DESTINATION), installDir_.string() + "\\");
    EXPECT_EQ(Text(main, IDC_PROGRAM_GROUP), kProduct);
    EXPECT_FALSE(Visible(main, IDC_STATUS_BOX));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, IDC_CHANGE_GROUP)));
    EXPECT_EQ(::SendMessageA(main, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_INSTALL, DC_HASDEFID));

    Press(main, IDC_INSTALL);
    HWND done = MessageBoxOf(*setup);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageText(done), kDoneMessage);
    // Meanwhile the status box has taken the place of the set-up boxes.
    EXPECT_TRUE(Visible(main, IDC_STATUS_BOX));
    EXPECT_FALSE(Visible(main, IDC_DESTINATION_BOX));
    EXPECT_FALSE(Visible(main, IDC_CHANGE_FOLDER));
    EXPECT_TRUE(WaitUntil([main] {
        return Text(main, IDC_STATUS_BOX).find(std::string(kInstallationCompleted)) != std::string::npos;
    })) << Text(main, IDC_STATUS_BOX);
    EXPECT_NE(Text(main, IDC_STATUS_BOX).find("Installing PROGRAM.CAB"), std::string::npos);
    ::PostMessageA(done, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(setup->Finish(), 0u);

    EXPECT_EQ(ReadFile(Installed("readme.txt")), "read me\r\n");
    EXPECT_EQ(ReadFile(Installed("docs\\guide.txt")), "a guide\r\n");
    EXPECT_TRUE(ReadFile(Installed("bin\\fixture.exe")) == fixture_);
    EXPECT_TRUE(ReadFile(SystemPath(kDll)) == dll_);
    EXPECT_TRUE(ReadFile(SystemPath(kServer)) == server_);
    EXPECT_EQ(ReadFile(serverLog_), "DllRegisterServer\n");
    EXPECT_TRUE(fs::exists(group_ / "Read Me.LNK"));
    EXPECT_TRUE(fs::exists(group_ / "Tools" / "Fixture.LNK"));
    EXPECT_EQ(Value(kInstalledProgramsKey, "Directory"), installDir_.string() + "\\");
    // The program was started, without waiting for it.
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(report_); }));
    EXPECT_EQ(ReadFile(report_), installDir_.string() + "\n" + "with blank\n");
    EXPECT_EQ(TempsLeft(), 0u);
#ifdef VEXA_UNINSTALL_PROGRAM
    const std::string uninstall = Installed("Uninstall\\Uninstall.EXE");
    EXPECT_TRUE(fs::exists(uninstall));
    EXPECT_EQ(Value(kUninstallKey, "DisplayName"), kProduct);
    EXPECT_EQ(Value(kUninstallKey, "UninstallString"), uninstall);
#endif
    // The links, for the native step that reads them with lnkinfo.
    fs::create_directories(VEXA_LINKS_DIR);
    fs::copy_file(group_ / "Read Me.LNK", fs::path(VEXA_LINKS_DIR) / "readme.lnk", fs::copy_options::overwrite_existing);
    fs::copy_file(group_ / "Tools" / "Fixture.LNK", fs::path(VEXA_LINKS_DIR) / "fixture.lnk",
                  fs::copy_options::overwrite_existing);
    WriteFile((fs::path(VEXA_LINKS_DIR) / "expected.txt").string(),
              Installed("readme.txt") + "\n" + installDir_.string() + "\n" + Installed("bin\\fixture.exe") + "\n" +
                  Installed("bin") + "\n");
}

// The first line runs while the test holds the pause flag; Cancel then asks, and the
// answer decides whether the lines after it run.
TEST_F(InstallDialog, CancelPausesBetweenLinesAndNoGoesOn) {
    auto setup = Start(Script(true));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    const fs::path pause = ExpansionDirectory() / kPauseFlag;
    WriteFile(pause.string(), "");
    Press(main, IDC_INSTALL);
    ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_STATUS_BOX).find("Installing VXTEST.CAB") != std::string::npos; }));
    Press(main, IDC_CANCEL);
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kCancelQuestion, IDNO));
    EXPECT_FALSE(fs::exists(pause));
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kDoneMessage, IDOK));
    EXPECT_EQ(setup->Finish(), 0u);
    EXPECT_TRUE(fs::exists(Installed("bin\\fixture.exe")));
    EXPECT_TRUE(Value(kInstalledProgramsKey, "Directory").has_value());
}

TEST_F(InstallDialog, CancelAnsweredYesKeepsWhatIsInstalledAndEndsQuietly) {
    auto setup = Start(Script(true));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    WriteFile((ExpansionDirectory() / kPauseFlag).string(), "");
    Press(main, IDC_INSTALL);
    ASSERT_TRUE(WaitUntil([&] { return Text(main, IDC_STATUS_BOX).find("Installing VXTEST.CAB") != std::string::npos; }));
    Press(main, IDC_CANCEL);
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kCancelQuestion, IDYES));
    EXPECT_EQ(setup->Finish(), 0u);  // without the done message
    EXPECT_TRUE(ReadFile(SystemPath(kDll)) == dll_);
    EXPECT_FALSE(fs::exists(SystemPath(kServer)));
    EXPECT_FALSE(fs::exists(Installed("readme.txt")));
    EXPECT_FALSE(fs::exists(group_));
    EXPECT_FALSE(Value(kInstalledProgramsKey, "Directory").has_value());
    EXPECT_FALSE(fs::exists(report_));
    EXPECT_EQ(TempsLeft(), 0u);
}

// An older copy of the DLL that another program holds open cannot be replaced now: the
// new one waits for the next start, and the installation ends with the restart question.
TEST_F(InstallDialog, ADllInUseIsReplacedAtTheNextStart) {
    const std::string target = SystemPath(kDll);
    WriteFile(target, ReadFile(fs::absolute(VEXA_UNVERSIONED_DLL).string()));
    HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string before = PendingRenames();

    auto setup = Start(Script(true));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    Press(main, IDC_INSTALL);
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kRebootQuestion, IDNO));
    EXPECT_EQ(setup->Finish(), 0u);
    ::CloseHandle(held);

    const std::string pending = PendingRenames();
    RestorePendingRenames(before);
    EXPECT_NE(Upper(pending).find("SYSTEM32\\VXTEST.DLL"), std::string::npos) << pending;
    EXPECT_TRUE(fs::exists(Installed("bin\\fixture.exe")));
    EXPECT_TRUE(Value(kInstalledProgramsKey, "Directory").has_value());
    // Neither the done message nor the program.
    EXPECT_FALSE(fs::exists(report_));
}

#ifdef VEXA_UNINSTALL_PROGRAM
// The second setup has no tools: its predecessor's files go, emptied folders with them.
TEST_F(InstallDialog, InstallingAgainRemovesThePreviousInstallationFirst) {
    {
        auto setup = Start(Script(true));
        HWND main = MainDialog(*setup);
        ASSERT_NE(main, nullptr);
        ASSERT_NO_FATAL_FAILURE(InstallAndFinish(*setup, main));
    }
    WriteFile(Installed("readme.txt"), "changed");
    WriteFile(Installed("docs\\mine.txt"), "the user's");

    auto setup = Start(Script(false));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    Press(main, IDC_INSTALL);
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kPreviousFound, IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kDoneMessage, IDOK));
    EXPECT_EQ(setup->Finish(), 0u);
    EXPECT_EQ(ReadFile(Installed("readme.txt")), "read me\r\n");
    EXPECT_EQ(ReadFile(Installed("docs\\mine.txt")), "the user's");
    EXPECT_FALSE(fs::exists(Installed("bin")));
    EXPECT_FALSE(fs::exists(group_ / "Tools"));
    EXPECT_TRUE(fs::exists(group_ / "Read Me.LNK"));
}

TEST_F(InstallDialog, NoToThePreviousInstallationLeavesItAndWaits) {
    {
        auto setup = Start(Script(true));
        HWND main = MainDialog(*setup);
        ASSERT_NE(main, nullptr);
        ASSERT_NO_FATAL_FAILURE(InstallAndFinish(*setup, main));
    }
    auto setup = Start(Script(false));
    HWND main = MainDialog(*setup);
    ASSERT_NE(main, nullptr);
    Press(main, IDC_INSTALL);
    ASSERT_NO_FATAL_FAILURE(Answer(*setup, kPreviousFound, IDNO));
    EXPECT_TRUE(WaitUntil([main] { return ::IsWindowEnabled(::GetDlgItem(main, IDC_INSTALL)) != FALSE; }));
    EXPECT_TRUE(fs::exists(Installed("bin\\fixture.exe")));
    Press(main, IDC_CANCEL);
    EXPECT_EQ(setup->Finish(), 0u);
}

// The uninstall program that the installation placed, started as from the list of
// removable programs: its question answered Yes and its messages read, it leaves neither
// the product's files, its shortcuts nor its registry entries. It cannot delete its own
// file while it runs, so that waits for the next start.
TEST_F(InstallDialog, TheUninstallProgramRemovesTheInstallation) {
    {
        auto setup = Start(Script(true));
        HWND main = MainDialog(*setup);
        ASSERT_NE(main, nullptr);
        ASSERT_NO_FATAL_FAILURE(InstallAndFinish(*setup, main));
    }
    const std::string before = PendingRenames();
    SetupProcess uninstall(Installed("Uninstall\\Uninstall.EXE"), tmp_);
    ASSERT_TRUE(uninstall.Started());
    // The uninstall program's boxes bear the product's name once it has read its record.
    const std::string caption = kProduct;
    HWND question = uninstall.WaitForWindow(caption);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(MessageText(question).starts_with(std::string(kRemoveQuestion) + kProduct)) << MessageText(question);
    ::PostMessageA(question, WM_COMMAND, IDYES, 0);
    std::vector<std::string> said;
    WaitUntil([&] {
        if (::WaitForSingleObject(uninstall.Handle(), 0) == WAIT_OBJECT_0) return true;
        HWND box = uninstall.WaitForWindow([&](HWND window) { return window != question && TextOf(window) == caption; });
        if (box) {
            said.push_back(MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitUntil([box] { return !::IsWindow(box); });
        }
        return false;
    });
    EXPECT_TRUE(uninstall.Finish().has_value());
    RestorePendingRenames(before);
    ASSERT_FALSE(said.empty());
    EXPECT_TRUE(said.front().starts_with(kProduct + std::string(kUninstallDone))) << ::testing::PrintToString(said);
    for (const char* name : {"readme.txt", "docs", "bin"}) EXPECT_FALSE(fs::exists(Installed(name))) << name;
    EXPECT_FALSE(fs::exists(group_));
    EXPECT_FALSE(Value(kInstalledProgramsKey, "Directory").has_value());
    EXPECT_FALSE(Value(kUninstallKey, "DisplayName").has_value());
}
#endif

}  // namespace
}  // namespace vexa::installer
