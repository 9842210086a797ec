// The dialog program as its users meet it: a self-extracting cabinet made with the stub as
// the libraries carry it runs as a process of its own, and the test works its windows
// from outside as a user would: buttons, the folder browser, the overwrite question and
// the message boxes.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "cabinet/self_extracting.hpp"
#include "common/format_path.hpp"
#include "sfxstub/stub_image.hpp"
#include "sfxstub/stub_texts.hpp"
#include "sfxstub/win32/stub_resources.hpp"
#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/program_windows.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using test::ChildTexts;
using test::DisplayAvailable;
using test::ExpectMessage;
using test::ListEntries;
using test::Says;
using test::TextOf;
using test::WaitUntil;
using StubProcess = test::WindowedProcess;

std::string ItemText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }

const std::vector<Member> kMembers = {
    {"readme.txt", "two lines\r\nof text\r\n"},
    {"docs\\guide.txt", test::TextBytes(70'000, 2)},
    {"setup.ini", "[setup]\r\n"},
};
const std::vector<std::string> kNames = {"readme.txt", "docs\\guide.txt", "setup.ini"};

class StubDialog : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DisplayAvailable()) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
        fs::create_directories(tmp_);
    }

    // A self-extracting cabinet of kMembers, as the cabinet control writes it.
    std::string MakeProgram() {
        WriteFile(dir_ / "files.cab", CabinetOf(kMembers));
        Files& files = testing::SystemFiles();
        EXPECT_TRUE(Cab2Exe(files, SelfExtractStub(), dir_ / "files.cab", dir_ / "setup.exe"));
        return dir_ / "setup.exe";
    }
    std::unique_ptr<StubProcess> Start(const std::string& program) {
        auto process = std::make_unique<StubProcess>(program, tmp_);
        EXPECT_TRUE(process->Started()) << program;
        return process;
    }
    std::string Out(const std::string& name) const { return (out_ / NativePath(name)).string(); }
    std::size_t TempsLeft() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(tmp_), fs::directory_iterator()));
    }

    TempDir dir_;
    fs::path tmp_ = dir_.path() / "tmp";
    fs::path out_ = dir_.path() / "out";  // where the files are expanded
};

// Clicks "Expand...", and in the folder browser that opens selects `folder` and OK.
void ExpandInto(const StubProcess& stub, HWND main, const fs::path& folder) {
    ::PostMessageA(main, WM_COMMAND, IDC_EXPAND, 0);
    HWND browser = stub.WaitForWindow([main](HWND window) { return ::GetWindow(window, GW_OWNER) == main; });
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(test::ChooseFolder(stub.Handle(), browser, folder)) << "the browser did not select " << folder;
}

bool Idle(HWND main) {
    return ItemText(main, IDC_STATUS) == kListStatus && ::IsWindowVisible(::GetDlgItem(main, IDC_FILES)) &&
           ::IsWindowEnabled(::GetDlgItem(main, IDC_EXPAND)) && ::IsWindowEnabled(::GetDlgItem(main, IDC_ABOUT)) &&
           !::IsWindowEnabled(::GetDlgItem(main, IDC_STOP));
}

TEST_F(StubDialog, TheStubAloneSaysItIsEmpty) {
    auto stub = Start(fs::absolute(VEXA_SFXSTUB_PROGRAM).string());
    ExpectMessage(*stub, kErrorCaption, kEmpty);
    EXPECT_EQ(stub->Finish(), 1u);
    EXPECT_EQ(TempsLeft(), 0u);
}

TEST_F(StubDialog, ListsItsCabinetAndLeavesNothingBehindOnExit) {
    auto stub = Start(MakeProgram());
    HWND main = stub->WaitForWindow("Self-Extract Cab File - setup.exe");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Idle(main));
    EXPECT_EQ(ListEntries(::GetDlgItem(main, IDC_FILES)), kNames);
    ASSERT_EQ(TempsLeft(), 1u);
    EXPECT_EQ(fs::directory_iterator(tmp_)->path().filename().string().substr(0, 3), "~cb");

    ::PostMessageA(main, WM_COMMAND, IDC_EXIT, 0);
    EXPECT_EQ(stub->Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
}

// Twice into one folder: the second time every file exists. "No" keeps the first and
// asks again; "Yes to All" replaces the rest without asking.
TEST_F(StubDialog, ExpandsIntoTheFolderChosenAndAsksBeforeReplacing) {
    auto stub = Start(MakeProgram());
    HWND main = stub->WaitForWindow("Self-Extract Cab File - setup.exe");
    ASSERT_NE(main, nullptr);
    fs::create_directories(out_);

    ASSERT_NO_FATAL_FAILURE(ExpandInto(*stub, main, out_));
    ExpectMessage(*stub, kSuccessCaption, kSucceeded);
    EXPECT_TRUE(WaitUntil([main] { return Idle(main); }));
    for (const Member& member : kMembers) {
        EXPECT_TRUE(ReadFile(Out(member.name)) == member.bytes) << member.name;
        WriteFile(Out(member.name), "old");
    }

    ASSERT_NO_FATAL_FAILURE(ExpandInto(*stub, main, out_));
    HWND question = stub->WaitForWindow(kOverwriteCaption);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ItemText(question, IDC_EXISTING_PATH), Out("readme.txt"));
    EXPECT_TRUE(Says(question, kOverwriteQuestion));
    EXPECT_TRUE(WaitUntil([main] { return ItemText(main, IDC_STATUS) == "Now extracting: readme.txt"; }));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(main, IDC_FILES)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_STOP)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(main, IDC_EXPAND)));
    ::PostMessageA(question, WM_COMMAND, IDC_ANSWER_NO, 0);

    const std::string next = Out("docs\\guide.txt");
    question = stub->WaitForWindow([&](HWND window) { return ItemText(window, IDC_EXISTING_PATH) == next; });
    ASSERT_NE(question, nullptr);
    ::PostMessageA(question, WM_COMMAND, IDC_ANSWER_YES_TO_ALL, 0);
    ExpectMessage(*stub, kSuccessCaption, kSucceeded);
    EXPECT_TRUE(WaitUntil([main] { return Idle(main); }));
    EXPECT_EQ(ReadFile(Out("readme.txt")), "old");
    EXPECT_TRUE(ReadFile(Out("docs\\guide.txt")) == kMembers[1].bytes);
    EXPECT_EQ(ReadFile(Out("setup.ini")), kMembers[2].bytes);

    ::PostMessageA(main, WM_COMMAND, IDC_EXIT, 0);
    EXPECT_EQ(stub->Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
}

// "Cancel" is pressed while the first question waits: the file allowed is begun, the
// expansion stops there and says so, and the window is ready for the next.
TEST_F(StubDialog, TheCancelButtonStopsTheExpansion) {
    for (const Member& member : kMembers) {
        fs::create_directories(fs::path(Out(member.name)).parent_path());
        WriteFile(Out(member.name), "old");
    }
    auto stub = Start(MakeProgram());
    HWND main = stub->WaitForWindow("Self-Extract Cab File - setup.exe");
    ASSERT_NE(main, nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpandInto(*stub, main, out_));
    HWND question = stub->WaitForWindow(kOverwriteCaption);
    ASSERT_NE(question, nullptr);

    DWORD_PTR ignored = 0;  // sent, so the flag is set before the answer comes
    ::SendMessageTimeoutA(main, WM_COMMAND, IDC_STOP, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    ::PostMessageA(question, WM_COMMAND, IDC_ANSWER_YES, 0);
    // The member cut short left nothing behind, and the file it would have replaced stays.
    ExpectMessage(*stub, kCancelledCaption, kCancelledNone);
    EXPECT_TRUE(WaitUntil([main] { return Idle(main); }));
    EXPECT_EQ(ReadFile(Out("setup.ini")), "old");

    ::PostMessageA(main, WM_COMMAND, IDC_EXIT, 0);
    EXPECT_EQ(stub->Finish(), 0u);
}

// The program closes while it waits for an answer: no end message holds it open.
TEST_F(StubDialog, ClosingDuringAnExpansionEndsItWithoutAMessage) {
    for (const Member& member : kMembers) {
        fs::create_directories(fs::path(Out(member.name)).parent_path());
        WriteFile(Out(member.name), "old");
    }
    auto stub = Start(MakeProgram());
    HWND main = stub->WaitForWindow("Self-Extract Cab File - setup.exe");
    ASSERT_NE(main, nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpandInto(*stub, main, out_));
    ASSERT_NE(stub->WaitForWindow(kOverwriteCaption), nullptr);

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(stub->Finish(), 0u);
    EXPECT_EQ(TempsLeft(), 0u);
    for (const Member& member : kMembers) EXPECT_EQ(ReadFile(Out(member.name)), "old") << member.name;
}

}  // namespace
}  // namespace vexa::sfx
