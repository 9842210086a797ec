// VexaStandAloneWebProg.exe as its users meet it: a copy with an attachment that names a
// release on the loopback server runs as a process of its own, plays the script and embeds
// the program it starts into its window; the test works it from outside. The release's
// cabinets are kept in the loader's cache beforehand, as a visit of the page would have
// kept them, since nobody signed them for the system's trust check.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "loader/cache.hpp"
#include "platform/native.hpp"
#include "signature/signature.hpp"
#include "tests/loader/loader_machine.hpp"
#include "tests/support/fault_http_server.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/program_windows.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::test {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const std::string kFixtureCaption = "Embedded Fixture";
const std::string kNoAttachment =
    "Error. This stand-alone web program cannot find its web page program: the file does not end with WEBPROG.";

// The texts of a message box, its caption aside, run together.
std::string AllTexts(HWND box) {
    std::string all;
    for (const std::string& text : ChildTexts(box)) all += text + "\n";
    return all;
}

class StandAloneProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayAvailable()) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
        ASSERT_TRUE(FaultHttpServer::Get().Running());
        fs::create_directories(tmp_);
    }

    // A release in a folder of its own on the server (the machine's cache outlives the
    // test): the process fixture in Prog1.cab, started with a window, and Script.Cab. Both
    // are kept in the cache. Returns the publication URL.
    std::string Publish() {
        const std::string folder = "release-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                   std::to_string(::GetTickCount64());
        const fs::path served = fs::path(VEXA_SERVED_ROOT) / folder;
        fs::create_directories(served);
        const std::string program = dir_ / "Prog1.cab";
        WriteFile(program, CabinetOf({{"Fixture.exe", ReadFile(VEXA_PROCESS_FIXTURE)}}));
        const std::string size = std::to_string(fs::file_size(program));
        const std::string body = "SetExeWindowTitle \"" + kFixtureCaption + "\"\r\nInstallProgram \"Prog1.cab\", \"" +
                                 size + "\", \"20260101120000\", \"0\", \"" + size + "0\", \"" +
                                 GenerateFileSignature(native_.Get().files, program) +
                                 "\", \"\"\r\nExecute \"<ProductDirectory>\\Fixture.exe\", \"" + report_ +
                                 "\", \"window:" + kFixtureCaption + "\"\r\n";
        script_ = (served / "Script.Cab").string();
        WriteFile(script_, CabinetOf({{"Script.txt", loader::test::ScriptText(body)}}));
        Platform& platform = native_.Get();
        loader::LocalCache cache(platform.files, platform.clock, platform.registry,
                                 platform.shell.FolderPath(SpecialFolder::Windows));
        EXPECT_TRUE(cache.KeepCachedCab(script_, loader::CacheKind::Script));
        EXPECT_TRUE(cache.KeepCachedCab(program, loader::CacheKind::Program));
        return FaultHttpServer::Get().Url("/" + folder + "/");
    }

    // A copy of the program with the attachment the wizard writes.
    std::string MakeStandAlone(const std::string& publication) {
        const std::string path = dir_ / "MyProg.exe";
        const std::string signature =
            script_.empty() ? "0-0" : LongSigToShortSig(GenerateFileSignature(native_.Get().files, script_));
        WriteFile(path, ReadFile(VEXA_STAND_ALONE_PROGRAM) + "http://127.0.0.1/activex/\r\n2,3,0,35\r\n" + publication +
                            "\r\nScript.Cab\r\n" + signature + "\r\nWEBPROG");
        return path;
    }

    std::unique_ptr<WindowedProcess> Start(const std::string& program) {
        auto process = std::make_unique<WindowedProcess>(program, tmp_);
        EXPECT_TRUE(process->Started()) << program;
        return process;
    }

    NativePlatform native_;
    testing::TempDir dir_;
    fs::path tmp_ = dir_.path() / "tmp";
    std::string report_ = dir_ / "report.txt";
    std::string script_;
};

// The started program is embedded into the window; its "PREVIOUS PAGE", sent to the
// control's window as a program does, closes the window, and with it the program.
TEST_F(StandAloneProgram, PlaysTheScriptIntoItsWindowAndLeavesOnPreviousPage) {
    const std::string publication = Publish();
    auto program = Start(MakeStandAlone(publication));
    HWND window = program->WaitForWindow(publication);
    ASSERT_NE(window, nullptr);
    HWND embedded = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (embedded = ::FindWindowExA(window, nullptr, nullptr, kFixtureCaption.c_str())) != nullptr;
    })) << "no program embedded";

    // The fixture reports its working directory, where the loader wrote the control's window.
    const std::string productDirectory = ReadFile(report_).substr(0, ReadFile(report_).find('\n'));
    const auto control = std::stoull("0" + ReadFile((fs::path(productDirectory) / "~OcxHWnd.txt").string()));
    ASSERT_NE(control, 0u) << productDirectory;
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(::SendMessageTimeoutA(reinterpret_cast<HWND>(control), ::RegisterWindowMessageA("PREVIOUS PAGE"), 0,
                                      0, SMTO_ABORTIFHUNG, 5000, &ignored));
    EXPECT_EQ(program->Finish(), 0u);
    EXPECT_FALSE(::IsWindow(embedded));
    EXPECT_FALSE(fs::exists(productDirectory)) << "the product directory goes with the program";
}

TEST_F(StandAloneProgram, WithoutAnAttachmentItSaysWhyAndEnds) {
    const std::string plain = dir_ / "Plain.exe";
    fs::copy_file(VEXA_STAND_ALONE_PROGRAM, plain);
    auto program = Start(plain);
    ExpectMessage(*program, "VexaWeb", kNoAttachment);
    EXPECT_EQ(program->Finish(), 1u);
}

// A failed run shows the loader's error window; once it is closed the program ends.
TEST_F(StandAloneProgram, AFailedRunShowsTheErrorWindowAndEnds) {
    const std::string missing = FaultHttpServer::Get().Url("/status/404/");
    auto program = Start(MakeStandAlone(missing));
    HWND box = program->WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(AllTexts(box).find("Cannot download file: " + missing + "Script.Cab"), std::string::npos)
        << AllTexts(box);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program->Finish(), 1u);
}

}  // namespace
}  // namespace vexa::test
