// The stub as its users meet it: `vexa cab sfx` makes a program, which runs as a process
// of its own and answers to its standard input.

#include <gtest/gtest.h>

#include <csignal>

#include "common/format_path.hpp"
#include "sfxstub/stub_image.hpp"
#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::uint64_t kStubSize = VEXA_SFX_STUB_SIZE;

const std::vector<Member> kMembers = {
    {"readme.txt", "two lines\r\nof text\r\n"},
    {"bin\\tool.dat", test::RandomBytes(150'000, 1)},
    {"bin\\deeper\\notes.txt", test::TextBytes(70'000, 2)},
};

class StubProgram : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(tmp_); }

    // `vexa cab sfx` over a cabinet of kMembers.
    std::string MakeProgram() {
        cabinet_ = CabinetOf(kMembers);
        WriteFile(dir_ / "files.cab", cabinet_);
        test::ChildProcess vexa({VEXA_PROGRAM, "cab", "sfx", dir_ / "files.cab", dir_ / "setup.exe"});
        EXPECT_EQ(vexa.Finish(), 0) << vexa.Output();
        return dir_ / "setup.exe";
    }
    // The program with its temporary files in the test's folder.
    std::unique_ptr<test::ChildProcess> Start(const std::string& program) {
        return std::make_unique<test::ChildProcess>(std::vector<std::string>{program},
                                                    std::vector<std::string>{"TMPDIR=" + tmp_.string()});
    }
    std::string Out(const std::string& name = {}) const { return (dir_.path() / "out" / NativePath(name)).string(); }
    void PlaceOldFiles() const {
        for (const Member& member : kMembers) {
            fs::create_directories(fs::path(Out(member.name)).parent_path());
            WriteFile(Out(member.name), "old");
        }
    }
    bool TempsLeft() const { return !fs::is_empty(tmp_); }

    TempDir dir_;
    fs::path tmp_ = dir_.path() / "tmp";
    std::string cabinet_;
};

TEST_F(StubProgram, IsTheStubOfFixedSizeFollowedByTheCabinet) {
    std::string program = ReadFile(MakeProgram());
    std::span<const unsigned char> stub = SelfExtractStub();
    EXPECT_EQ(stub.size(), kStubSize);
    EXPECT_EQ(fs::file_size(VEXA_SFXSTUB_PROGRAM), kStubSize);
    ASSERT_EQ(program.size(), kStubSize + cabinet_.size());
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), reinterpret_cast<const unsigned char*>(program.data())));
    EXPECT_TRUE(program.compare(kStubSize, std::string::npos, cabinet_) == 0);
    EXPECT_NE(fs::status(dir_ / "setup.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(StubProgram, ListsAndExpandsItsCabinetIntoTheFolderTyped) {
    auto run = Start(MakeProgram());
    EXPECT_EQ(run->Finish(Out() + "\n"), 0);
    const std::string& said = run->Output();
    EXPECT_NE(said.find("Self-Extract Cab File - setup.exe\n"
                        "This Self-Extract CAB file contains the following files:\n"
                        "  readme.txt\n  bin\\tool.dat\n  bin\\deeper\\notes.txt\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("Success: Successfully expanded the self-extract Cab file.\n"), std::string::npos) << said;
    for (const Member& member : kMembers) EXPECT_TRUE(ReadFile(Out(member.name)) == member.bytes) << member.name;
    EXPECT_FALSE(TempsLeft());
}

TEST_F(StubProgram, TheStubAloneSaysItIsEmpty) {
    auto run = Start(VEXA_SFXSTUB_PROGRAM);
    EXPECT_EQ(run->Finish(Out() + "\n"), 1);
    EXPECT_EQ(run->Output(), "Error: This self-extract Cab file is empty.\n");
    EXPECT_FALSE(TempsLeft());
}

TEST_F(StubProgram, AnswersItsQuestionsFromStandardInput) {
    const struct {
        const char* answers;
        std::string replaced;  // per member: 'y' replaced, '-' kept
        const char* end;
    } cases[] = {
        {"Yes to All\n", "yyy", "Success: Successfully expanded the self-extract Cab file."},
        {"n\nNo\nN\n", "---", "Self-Extract Cab: No files were extracted."},
        {"y\n", "y--", "Cab Expansion Cancelled: Cab Expansion Cancelled. Not all files were extracted."},
    };
    std::string program = MakeProgram();
    for (const auto& c : cases) {
        PlaceOldFiles();
        auto run = Start(program);
        EXPECT_EQ(run->Finish(Out() + "\n" + c.answers), 0);
        EXPECT_NE(run->Output().find(c.end), std::string::npos) << c.answers << run->Output();
        for (std::size_t i = 0; i < kMembers.size(); ++i) {
            bool replaced = c.replaced[i] == 'y';
            EXPECT_EQ(ReadFile(Out(kMembers[i].name)) == kMembers[i].bytes, replaced) << c.answers << kMembers[i].name;
        }
    }
}

TEST_F(StubProgram, AnInterruptDuringAnExpansionEndsItWithoutAMessage) {
    PlaceOldFiles();
    auto run = Start(MakeProgram());
    run->Write(Out() + "\n");
    ASSERT_TRUE(run->ReadUntil("Overwrite existing file?")) << run->Output();
    ::kill(run->Pid(), SIGINT);
    EXPECT_EQ(run->Finish(), 128 + SIGINT);
    EXPECT_EQ(run->Output().find("Cab Expansion"), std::string::npos) << run->Output();
    EXPECT_EQ(ReadFile(Out(kMembers[0].name)), "old");
    EXPECT_FALSE(TempsLeft());
}

}  // namespace
}  // namespace vexa::sfx
