#include "sfxstub/stub_session.hpp"

#include <gtest/gtest.h>

#include "common/format_path.hpp"
#include "sfxstub/stub_texts.hpp"
#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::uint64_t kOffset = 512;
const Message kSuccess{kSucceeded, kSuccessCaption};

// A stub of kOffset bytes with `cabinet` attached.
class StubSessionTest : public ::testing::Test {
protected:
    std::string Attach(const std::string& cabinet) {
        std::string own = dir_ / "setup.exe";
        WriteFile(own, std::string(kOffset, 'S') + cabinet);
        return own;
    }
    // A path in the folder the files are expanded into, from a name as the cabinet stores it.
    std::string Out(const std::string& name = {}) const { return (dir_.path() / "out" / NativePath(name)).string(); }

    TempDir dir_;
    TestFiles files_{dir_.path()};
    ScriptedUi ui_;
};

TEST_F(StubSessionTest, ListsTheFilesAndExpandsThemWithTheirTimesAndAttributes) {
    const std::vector<Member> members = {
        {"zeta.txt", "last letter first"},
        {"docs\\guide\\read me.txt", "in a subfolder\r\n"},
        {"empty.txt", ""},
        {"locked.ini", "[x]", kAttributeReadOnly | kAttributeArchive},
    };
    StubSession session(files_, ui_, Attach(CabinetOf(members)), kOffset);
    ui_.folders = {Out()};

    ASSERT_TRUE(session.Run());
    EXPECT_EQ(ui_.caption, "Self-Extract Cab File - setup.exe");
    EXPECT_EQ(ui_.shownFiles,
              (std::vector<std::string>{"zeta.txt", "docs\\guide\\read me.txt", "empty.txt", "locked.ini"}));
    EXPECT_EQ(ui_.statuses.front(), "Now extracting: zeta.txt");
    EXPECT_EQ(ui_.statuses.size(), members.size());
    EXPECT_EQ(ui_.messages, std::vector<Message>{kSuccess});
    EXPECT_TRUE(ui_.questions.empty());
    for (const Member& member : members) {
        std::string path = Out(member.name);
        EXPECT_EQ(ReadFile(path), member.bytes) << member.name;
        EXPECT_EQ(files_.LastWriteTime(path), (TimeStamp{2024, 2, 29, 12, 34, 56})) << member.name;
        EXPECT_EQ(*files_.Attributes(path) & kAttributeReadOnly, member.attributes & kAttributeReadOnly) << member.name;
    }
    EXPECT_EQ(files_.TempsLeft(), 1u);
}

TEST_F(StubSessionTest, TheTemporaryCabinetLastsUntilTheEndAndIsMadeAgainIfItGoes) {
    {
        StubSession session(files_, ui_, Attach(CabinetOf({{"a.txt", "a"}})), kOffset);
        ASSERT_TRUE(session.Start());
        fs::remove(files_.temps.at(0));
        ASSERT_TRUE(session.Expand(Out("first")));
        ASSERT_TRUE(session.Expand(Out("second")));  // expanding again reuses the new copy
        EXPECT_EQ(files_.temps.size(), 2u);
        EXPECT_EQ(files_.TempsLeft(), 1u);
    }
    EXPECT_EQ(files_.TempsLeft(), 0u);
    EXPECT_EQ(ReadFile(Out("first/a.txt")), "a");
    EXPECT_EQ(ReadFile(Out("second/a.txt")), "a");
    EXPECT_EQ(ui_.messages, (std::vector<Message>{kSuccess, kSuccess}));
}

TEST_F(StubSessionTest, AStartUpFailureIsTheOnlyThingShown) {
    StubSession session(files_, ui_, Attach(""), kOffset);
    ui_.folders = {Out()};
    EXPECT_FALSE(session.Run());
    EXPECT_EQ(ui_.messages, (std::vector<Message>{{kEmpty, kErrorCaption}}));
    EXPECT_EQ(ui_.caption, "");
    EXPECT_EQ(files_.TempsLeft(), 0u);
}

TEST_F(StubSessionTest, ADamagedCabinetEndsWithTheErrorMessage) {
    std::string cabinet = CabinetOf({{"big.bin", test::RandomBytes(200'000, 3)}, {"after.txt", "x"}});
    cabinet.resize(cabinet.size() / 2);
    StubSession session(files_, ui_, Attach(cabinet), kOffset);
    ui_.folders = {Out()};
    ASSERT_TRUE(session.Run());
    EXPECT_EQ(ui_.shownFiles.size(), 2u);
    EXPECT_EQ(ui_.messages, (std::vector<Message>{{kFailed, kErrorCaption}}));
}

TEST_F(StubSessionTest, TheCaptionNamesTheProgramAsItsCommandLineDoes) {
    const struct {
        const char* ownPath;
        const char* caption;
    } cases[] = {
        {"C:\\Program Files\\Setup.EXE", "Self-Extract Cab File - Setup.EXE"},
        {"./dist/setup", "Self-Extract Cab File - setup"},
        {"setup.exe", "Self-Extract Cab File - setup.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(StubSession(files_, ui_, c.ownPath, kOffset).Caption(), c.caption);
}

TEST(OwnPathOf, TakesTheQuotedPathOrElseTheWholeCommandLine) {
    const struct {
        const char* commandLine;
        const char* ownPath;
    } cases[] = {
        {"\"C:\\Program Files\\Setup.EXE\"", "C:\\Program Files\\Setup.EXE"},
        {"\"C:\\dist\\setup.exe\" ", "C:\\dist\\setup.exe"},
        {"\"C:\\dist\\setup.exe\" \"an argument\"", "C:\\dist\\setup.exe\" \"an argument"},  // to the last quote
        {"\"C:\\no closing quote", "C:\\no closing quote"},
        {"C:\\dist\\setup.exe", "C:\\dist\\setup.exe"},
        {"setup.exe /q", "setup.exe /q"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(OwnPathOf(c.commandLine), c.ownPath) << c.commandLine;
}

// Three files that all exist already: which are replaced, how often the user is asked,
// and how the expansion ends.
struct OverwriteCase {
    const char* label;
    std::vector<OverwriteAnswer> answers;
    std::string replaced;  // per file: 'y' replaced, '-' kept
    std::size_t questions;
    Message message;
};

void PrintTo(const OverwriteCase& c, std::ostream* out) { *out << c.label; }

class StubOverwrite : public StubSessionTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(StubOverwrite, AsksBeforeReplacingAndEndsAsAnswered) {
    using enum OverwriteAnswer;
    const std::vector<Member> members = {{"one.txt", "new 1"}, {"sub\\two.txt", "new 2"}, {"three.txt", "new 3"}};
    for (const Member& member : members) {
        fs::create_directories(fs::path(Out(member.name)).parent_path());
        WriteFile(Out(member.name), "old");
    }
    StubSession session(files_, ui_, Attach(CabinetOf(members)), kOffset);
    ui_.folders = {Out()};
    ui_.answers.assign(GetParam().answers.begin(), GetParam().answers.end());

    ASSERT_TRUE(session.Run());
    for (std::size_t i = 0; i < members.size(); ++i) {
        bool replaced = GetParam().replaced[i] == 'y';
        EXPECT_EQ(ReadFile(Out(members[i].name)), replaced ? members[i].bytes : "old")
            << members[i].name;
    }
    EXPECT_EQ(ui_.questions.size(), GetParam().questions);
    EXPECT_EQ(ui_.questions.front(), Out("one.txt"));
    EXPECT_EQ(ui_.messages, std::vector<Message>{GetParam().message});
}

using enum OverwriteAnswer;
INSTANTIATE_TEST_SUITE_P(
    Answers, StubOverwrite,
    ::testing::Values(
        OverwriteCase{"YesToAllAsksOnce", {YesToAll}, "yyy", 1, kSuccess},
        OverwriteCase{"NoKeepsEachAndAsksAgain", {No, No, No}, "---", 3, {kNothingExtracted, kNothingCaption}},
        OverwriteCase{"YesAsksAgain", {Yes, No, Yes}, "y-y", 3, kSuccess},
        OverwriteCase{"CancelFirst", {Cancel}, "---", 1, {kCancelledNone, kCancelledCaption}},
        OverwriteCase{"CancelAfterAFile", {Yes, Cancel}, "y--", 2, {kCancelledSome, kCancelledCaption}},
        OverwriteCase{"ClosingTheQuestionCancels", {}, "---", 1, {kCancelledNone, kCancelledCaption}}),
    [](const auto& param) { return param.param.label; });

TEST_F(StubSessionTest, ClosingTheProgramDuringAnExpansionEndsItSilently) {
    const std::vector<Member> members = {{"one.txt", "new"}, {"two.txt", "new"}};
    fs::create_directories(Out());
    WriteFile(Out("two.txt"), "old");
    StubSession session(files_, ui_, Attach(CabinetOf(members)), kOffset);
    ui_.folders = {Out(), Out("again")};
    ui_.onQuestion = [&session] {
        session.Flags().closing = true;
        session.Flags().cancel = true;
    };
    ASSERT_TRUE(session.Run());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(ui_.folders.size(), 1u);  // no further folder was asked for
    EXPECT_EQ(ReadFile(Out("two.txt")), "old");
}

}  // namespace
}  // namespace vexa::sfx
