#include <filesystem>

#include "common/format_path.hpp"
#include "tests/cabinet/control_fixture.hpp"
#include "tests/support/cabinet_shapes.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;


class ExpandCabFile : public ControlTest {
protected:
    // A cabinet of top.txt, dir\sub\a.txt and last.txt, opened for expansion.
    void SetUp() override {
        cabinet_ = Path("in.cab");
        WriteFile(cabinet_, test::MakeCabinet({{"top.txt", "top"}, {"dir\\sub\\a.txt", "aaa"}, {"last.txt", "last"}}));
        ASSERT_TRUE(control_->OpenCabForExpansion(cabinet_));
        destination_ = Path("out");
    }

    std::string Out(const std::string& name) const {
        return destination_ + kNativeSeparator + fs::path(name).make_preferred().string();
    }

    std::string cabinet_;
    std::string destination_;
};

TEST_F(ExpandCabFile, CreatesTheFoldersOfStoredNamesInsideTheDestination) {
    ASSERT_EQ(control_->GetNumFilesInCab(), 3);
    EXPECT_EQ(control_->GetFilenameInCab(1), "dir\\sub\\a.txt");
    ASSERT_TRUE(control_->ExpandCabFile(destination_));  // no trailing separator
    RunJob();

    EXPECT_EQ(ReadFile(Out("top.txt")), "top");
    EXPECT_EQ(ReadFile(Out("dir/sub/a.txt")), "aaa");
    EXPECT_EQ(ReadFile(Out("last.txt")), "last");
    EXPECT_EQ(native_.Get().files.LastWriteTime(Out("top.txt")), (TimeStamp{2024, 2, 29, 12, 34, 56}));
    EXPECT_EQ(events_.Names(), (std::vector<std::string>{"ExpandCabProgress", "ExpandCabProgress", "ExpandCabProgress",
                                                         "ExpandCabDone"}));
    const RaisedEvent& done = events_.Last();
    EXPECT_EQ(done.Text(0), cabinet_);
    EXPECT_EQ(done.Text(1), destination_ + kNativeSeparator);
    EXPECT_EQ(done.Long(2), 3);
    // Progress shows where the job is when the event is raised, which may be further on.
    EXPECT_TRUE(events_.raised[0].Text(3).starts_with(destination_ + kNativeSeparator));
}

// An empty destination would be the root of the drive: nothing starts.
TEST_F(ExpandCabFile, AnEmptyOrBlankDestinationIsRefused) {
    for (const char* destination : {"", "  "}) EXPECT_FALSE(control_->ExpandCabFile(destination)) << destination;
    EXPECT_TRUE(control_->ExpandCabFile(destination_));  // no job was left running
    RunJob();
}

TEST_F(ExpandCabFile, UnansweredOverwriteQuestionsOverwriteEverythingAfterAskingOnce) {
    ASSERT_TRUE(control_->ExpandCabFile(destination_ + kNativeSeparator));
    RunJob();
    for (const char* name : {"top.txt", "dir/sub/a.txt", "last.txt"}) WriteFile(Out(name), "changed");
    events_.raised.clear();

    ASSERT_TRUE(control_->ExpandCabFile(destination_));
    RunJob();
    EXPECT_EQ(events_.Count("ExpandCabOverwriteExistingFile"), 1u);
    EXPECT_EQ(events_.raised[1].name, "ExpandCabOverwriteExistingFile");
    EXPECT_EQ(events_.raised[1].Text(1), Out("top.txt"));
    EXPECT_EQ(ReadFile(Out("top.txt")), "top");
    EXPECT_EQ(ReadFile(Out("last.txt")), "last");
    EXPECT_EQ(events_.Last().Long(2), 3);
}

TEST_F(ExpandCabFile, TheAnswerDecidesEachExistingFile) {
    const struct {
        std::int32_t answer;
        const char* end;
        std::int32_t extracted;
        const char* middle;  // a.txt afterwards
        bool lastCreated;
    } cases[] = {
        {kOverwriteKeep, "ExpandCabDone", 2, "existing", true},
        {kOverwriteYes, "ExpandCabDone", 3, "aaa", true},
        {kOverwriteCancel, "ExpandCabCancel", 1, "existing", false},
    };
    for (const auto& c : cases) {
        fs::remove_all(destination_);
        fs::create_directories(Out("dir/sub"));
        WriteFile(Out("dir/sub/a.txt"), "existing");
        events_.onEvent = [&](const RaisedEvent& e) {
            if (e.name == "ExpandCabOverwriteExistingFile") control_->OverwriteExistingFile(c.answer);
        };
        ASSERT_TRUE(control_->ExpandCabFile(destination_));
        RunJob();
        EXPECT_EQ(events_.Last().name, c.end) << c.answer;
        EXPECT_EQ(events_.Last().Long(2), c.extracted) << c.answer;
        EXPECT_EQ(ReadFile(Out("dir/sub/a.txt")), c.middle) << c.answer;
        EXPECT_EQ(fs::exists(Out("last.txt")), c.lastCreated) << c.answer;
    }
}

// The member cut short leaves nothing of its own, and the file it would have replaced
// stays as it was.
TEST_F(ExpandCabFile, CancellingStopsAtTheNextReadAndKeepsTheFileItWouldReplace) {
    WriteFile(cabinet_, test::MakeCabinet({{"first.txt", "1"}, {"big.bin", test::TextBytes(3'000'000, 3)}}));
    ASSERT_TRUE(control_->OpenCabForExpansion(cabinet_));
    fs::create_directories(destination_);
    WriteFile(Out("big.bin"), "old");
    events_.onEvent = [&](const RaisedEvent& e) {
        if (e.name != "ExpandCabOverwriteExistingFile") return;
        control_->CancelExpandCabFile();
        control_->OverwriteExistingFile(kOverwriteYes);
    };
    ASSERT_TRUE(control_->ExpandCabFile(destination_));
    RunJob();
    EXPECT_EQ(events_.Last().name, "ExpandCabCancel");
    EXPECT_EQ(events_.Last().Long(2), 1);
    EXPECT_EQ(ReadFile(Out("big.bin")), "old");
    std::size_t left = 0;
    for (const auto& entry : fs::directory_iterator(destination_)) left += entry.is_regular_file();
    EXPECT_EQ(left, 2u);  // first.txt and big.bin
}

TEST_F(ExpandCabFile, MarkedEntriesAreSkippedWithoutProgressOrCount) {
    control_->SkipFileInCab(1, true);
    control_->SkipFileInCab(1, true);
    control_->SkipFileInCab(7, true);
    control_->SkipFileInCab(0, true);
    control_->SkipFileInCab(0, false);
    EXPECT_EQ(control_->GetFilenameInCab(1), "dir\\sub\\a.txt");
    ASSERT_TRUE(control_->ExpandCabFile(destination_));
    RunJob();
    EXPECT_EQ(events_.Count("ExpandCabProgress"), 2u);
    EXPECT_EQ(events_.Last().Long(2), 2);
    EXPECT_FALSE(fs::exists(Out("dir/sub/a.txt")));
    EXPECT_TRUE(fs::exists(Out("last.txt")));
}

TEST_F(ExpandCabFile, NoOtherJobStartsWhileOneRuns) {
    // The expansion waits on its overwrite question until messages run.
    fs::create_directories(destination_);
    WriteFile(Out("top.txt"), "existing");
    ASSERT_TRUE(control_->ExpandCabFile(destination_));
    VexaCB other(platform_, jobs_, events_, kStub);
    other.AddFileToCabImage(cabinet_, "");
    EXPECT_FALSE(other.MakeCabFile(Path("other.cab"), 0));
    EXPECT_FALSE(control_->ExpandCabFile(destination_));
    EXPECT_FALSE(control_->OpenCabForExpansion(cabinet_));
    EXPECT_EQ(control_->GetNumFilesInCab(), 3);
    RunJob();
    EXPECT_EQ(events_.Last().name, "ExpandCabDone");
    EXPECT_EQ(events_.Count("MakeCabDone") + events_.Count("MakeCabError"), 0u);
    EXPECT_FALSE(fs::exists(Path("other.cab")));
}

TEST_F(ExpandCabFile, WhatIsNoCabinetCannotBeOpenedAndExpandingNothingFails) {
    WriteFile(Path("text.cab"), "not a cabinet at all");
    EXPECT_FALSE(control_->OpenCabForExpansion(Path("text.cab")));
    EXPECT_EQ(control_->GetNumFilesInCab(), 0);
    EXPECT_FALSE(control_->OpenCabForExpansion(Path("missing.cab")));
    ASSERT_TRUE(control_->ExpandCabFile(destination_));
    RunJob();
    EXPECT_EQ(events_.Names(), std::vector<std::string>{"ExpandCabError"});
}

}  // namespace
}  // namespace vexa::testing
