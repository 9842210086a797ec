#include <filesystem>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "tests/cabinet/control_fixture.hpp"
#include "tests/support/cabinet_shapes.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

class MakeCabFile : public ControlTest {
protected:
    std::string Source(const std::string& name, const std::string& bytes) {
        std::string path = Path(name);
        WriteFile(path, bytes);
        return path;
    }

    std::optional<cab::CabinetInfo> Info(const std::string& cabinet) {
        cab::FileCabinetSource source(native_.Get().files.OpenShared(cabinet));
        return cab::IsCabinet(source);
    }

    std::vector<cab::MemberInfo> Members(const std::string& cabinet) {
        cab::FileCabinetSource source(native_.Get().files.OpenShared(cabinet));
        std::vector<cab::MemberInfo> members;
        EXPECT_EQ(cab::ListMembers(source, 0, members), cab::ExpandStatus::Done);
        return members;
    }
};

TEST_F(MakeCabFile, FirstFileHasAFolderOfItsOwnAndTheLastJoinsTheOneBefore) {
    const struct {
        int files;
        std::uint16_t folders;
    } cases[] = {{1, 1}, {2, 1}, {3, 2}, {4, 3}};
    for (const auto& c : cases) {
        control_->ClearCabImage();
        for (int i = 0; i < c.files; ++i)
            control_->AddFileToCabImage(Source("f" + std::to_string(i), test::TextBytes(1000, i)), "");
        std::string cabinet = Path(std::to_string(c.files) + ".cab");
        ASSERT_TRUE(control_->MakeCabFile(cabinet, 0));
        RunJob();
        ASSERT_EQ(events_.Last().name, "MakeCabDone");
        EXPECT_EQ(Info(cabinet)->folders, c.folders) << c.files << " files";
    }
}

TEST_F(MakeCabFile, AContinuousLayoutClosesFoldersOnlyAtTheThreshold) {
    control_->SetFolderLayout(FolderLayout::Continuous);
    for (int i = 0; i < 6; ++i)
        control_->AddFileToCabImage(Source("f" + std::to_string(i), test::TextBytes(400'000, i)), "");
    std::string cabinet = Path("continuous.cab");
    ASSERT_TRUE(control_->MakeCabFile(cabinet, 0));
    RunJob();
    ASSERT_EQ(events_.Last().name, "MakeCabDone");
    // 800,000 bytes stay below the threshold, 1,200,000 reach it: three files to a folder.
    EXPECT_EQ(Info(cabinet)->folders, 2);
    EXPECT_EQ(Members(cabinet).size(), 6u);
}

TEST_F(MakeCabFile, ReportsProgressAndTotalsAndStoresTheNamesGiven) {
    std::string big = test::TextBytes(200'000, 1);
    ASSERT_TRUE(control_->AddFileToCabImage(Source("big.txt", big), "dir\\sub\\big.txt"));
    ASSERT_TRUE(control_->AddFileToCabImage(Source("small.txt", "small"), ""));
    EXPECT_FALSE(control_->AddFileToCabImage("", "ignored"));
    std::string cabinet = Path("out.cab");
    ASSERT_TRUE(control_->MakeCabFile(cabinet, 6144));
    RunJob();

    ASSERT_GE(events_.Count("MakeCabProgress"), 2u);
    const RaisedEvent& progress = events_.raised.front();
    EXPECT_EQ(progress.name, "MakeCabProgress");
    EXPECT_EQ(progress.Text(0), cabinet);
    EXPECT_GT(progress.Long(2), 0);
    const RaisedEvent& done = events_.Last();
    ASSERT_EQ(done.name, "MakeCabDone");
    EXPECT_EQ(done.Text(0), cabinet);
    EXPECT_EQ(done.Long(1), static_cast<std::int32_t>(big.size() + 5));
    EXPECT_GT(done.Long(2), 0);
    EXPECT_LT(done.Long(2), done.Long(1));

    EXPECT_EQ(fs::file_size(cabinet), Info(cabinet)->length + 6144u);  // the certificate's room after the cabinet
    auto members = Members(cabinet);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].name, "dir\\sub\\big.txt");
    EXPECT_EQ(members[1].name, "small.txt");
}

// A cancelled make leaves no cabinet where there was none, and the older one where there was.
TEST_F(MakeCabFile, CancellingEndsWithCancelAndLeavesWhatWasThere) {
    control_->AddFileToCabImage(Source("random.bin", test::RandomBytes(8'000'000, 2)), "");
    events_.onEvent = [this](const RaisedEvent& e) {
        if (e.name == "MakeCabProgress") control_->CancelMakeCabFile();
    };
    for (bool older : {false, true}) {
        if (older) WriteFile(Path("out.cab"), "an older cabinet");
        ASSERT_TRUE(control_->MakeCabFile(Path("out.cab"), 0));
        RunJob();
        EXPECT_EQ(events_.Last().name, "MakeCabCancel");
        EXPECT_EQ(events_.Count("MakeCabError"), 0u);
        EXPECT_EQ(fs::exists(Path("out.cab")), older);
    }
    EXPECT_EQ(ReadFile(Path("out.cab")), "an older cabinet");
}

TEST_F(MakeCabFile, FailuresEndWithErrorAndLeaveNoCabinet) {
    const struct {
        const char* label;
        bool addMissing;
        std::int32_t reserve;
    } cases[] = {
        {"a source that cannot be read", true, 0},
        {"an empty cab image", false, 0},
        {"a certificate reserve beyond the format", false, 70'000},
        {"a negative certificate reserve", false, -1},
    };
    std::string good = Source("good.txt", "good");
    for (const auto& c : cases) {
        control_->ClearCabImage();
        if (c.reserve != 0 || c.addMissing) control_->AddFileToCabImage(good, "");
        if (c.addMissing) control_->AddFileToCabImage(Path("missing.txt"), "");
        ASSERT_TRUE(control_->MakeCabFile(Path("out.cab"), c.reserve)) << c.label;
        RunJob();
        EXPECT_EQ(events_.Last().name, "MakeCabError") << c.label;
        EXPECT_EQ(events_.Last().Text(0), Path("out.cab"));
        EXPECT_FALSE(fs::exists(Path("out.cab"))) << c.label;
    }
}

// The cabinet is written beside its target: a make that fails when it comes to put it in
// place touches neither what is there nor anything else in the folder.
TEST_F(MakeCabFile, AMakeThatCannotPutItsCabinetInPlaceLeavesWhatIsThere) {
    std::string source = Source("in.txt", test::TextBytes(100'000, 3));
    fs::create_directories(Path("targets/empty folder"));
    WriteFile(Path("targets/locked.cab"), "an older cabinet");
    fs::permissions(Path("targets/locked.cab"), fs::perms::owner_write | fs::perms::group_write |
                    fs::perms::others_write, fs::perm_options::remove);
    for (const char* target : {"targets/empty folder", "targets/locked.cab"}) {
        control_->ClearCabImage();
        control_->AddFileToCabImage(source, "");
        ASSERT_TRUE(control_->MakeCabFile(Path(target), 0)) << target;
        RunJob();
        EXPECT_EQ(events_.Last().name, "MakeCabError") << target;
    }
    EXPECT_TRUE(fs::is_directory(Path("targets/empty folder")));
    EXPECT_EQ(ReadFile(Path("targets/locked.cab")), "an older cabinet");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("targets")), fs::directory_iterator()), 2);
}

TEST_F(MakeCabFile, TheArchiveFlagStoresTheArchiveAttributeAloneAndRestoresTheSource) {
    Files& files = native_.Get().files;
    std::string source = Source("locked.txt", "read only");
    ASSERT_TRUE(files.SetAttributes(source, kAttributeReadOnly | kAttributeArchive));
    for (bool toArchive : {false, true}) {
        control_->ClearCabImage();
        control_->AddFileToCabImage(source, "");
        control_->SetCabSourceFilesToArchive(toArchive);
        std::string cabinet = Path(toArchive ? "archive.cab" : "plain.cab");
        ASSERT_TRUE(control_->MakeCabFile(cabinet, 0));
        RunJob();
        ASSERT_EQ(events_.Last().name, "MakeCabDone");
        std::uint16_t stored = Members(cabinet).at(0).attributes & kStoredAttributes;
        EXPECT_EQ(stored, toArchive ? kAttributeArchive : (kAttributeArchive | kAttributeReadOnly));
        EXPECT_EQ(*files.Attributes(source) & kAttributeReadOnly, kAttributeReadOnly);
    }
    files.SetAttributes(source, kAttributeArchive);
}

TEST_F(MakeCabFile, AControlWithoutItsWindowGetsNoEvents) {
    control_->AddFileToCabImage(Source("a.txt", "a"), "");
    ASSERT_TRUE(control_->MakeCabFile(Path("out.cab"), 0));
    control_.reset();
    jobs_.WaitForWorker();
    windows_.RunUntil([] { return false; }, 0);
    EXPECT_TRUE(events_.raised.empty());
    EXPECT_TRUE(fs::exists(Path("out.cab")));
}

}  // namespace
}  // namespace vexa::testing
