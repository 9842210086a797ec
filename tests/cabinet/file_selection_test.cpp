#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <set>

#include "common/format_path.hpp"
#include "tests/cabinet/control_fixture.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;


// root: a.txt b.TXT c.bin .hidden.txt, sub1/d.txt, sub1/deep/e.txt, sub2/f.txt
class SelectFiles : public ControlTest {
protected:
    void SetUp() override {
        for (const char* folder : {"root/sub1/deep", "root/sub2"}) fs::create_directories(Path(folder));
        for (const char* file :
             {"a.txt", "b.TXT", "c.bin", ".hidden.txt", "sub1/d.txt", "sub1/deep/e.txt", "sub2/f.txt"})
            WriteFile(Path("root/") + file, "x");
        root_ = Path("root") + kNativeSeparator;
    }

    std::set<std::string> Selected() {
        std::set<std::string> files;
        for (std::int32_t i = 0; i < control_->GetNumSelectedFiles(); ++i) files.insert(control_->GetSelectedFile(i));
        return files;
    }

    std::set<std::string> Under(std::initializer_list<const char*> names) {
        std::set<std::string> paths;
        for (const char* name : names) paths.insert(root_ + fs::path(name).make_preferred().string());
        return paths;
    }

    std::string root_;
};

TEST_F(SelectFiles, SlicesOfOneDirectoryReturnFalseUntilTheWalkIsExhausted) {
    std::string filter = root_ + "*.txt";
    int slices = 0;
    while (!control_->SelectFiles(filter, true, 0)) ++slices;  // below 1 counts as 1
    EXPECT_EQ(slices, 4);  // each directory, the last one too; the next call finds none left
    EXPECT_EQ(Selected(), Under({"a.txt", "b.TXT", ".hidden.txt", "sub1/d.txt", "sub1/deep/e.txt", "sub2/f.txt"}));
    ASSERT_EQ(control_->GetNumSelectedDirectories(), 4);
    EXPECT_EQ(control_->GetSelectedDirectory(0), root_);
    EXPECT_EQ(control_->GetSelectedDirectory(3), root_ + "sub1" + kNativeSeparator + "deep" + kNativeSeparator);  // breadth first
    EXPECT_EQ(control_->GetSelectedDirectory(4), "");

    // A finished walk is not repeated until the selection is cleared.
    WriteFile(Path("root/late.txt"), "x");
    EXPECT_TRUE(control_->SelectFiles(filter, true, 10));
    EXPECT_EQ(control_->GetNumSelectedFiles(), 6);
    control_->ClearFilesSelection();
    EXPECT_EQ(control_->GetNumSelectedFiles(), 0);
    EXPECT_TRUE(control_->SelectFiles(filter, true, 10));
    EXPECT_EQ(control_->GetNumSelectedFiles(), 7);
}

TEST_F(SelectFiles, WithoutRecursionEveryCallScansTheStartAfresh) {
    for (int call = 0; call < 2; ++call) {
        EXPECT_TRUE(control_->SelectFiles(root_ + "*.*", false, 1));
        EXPECT_EQ(Selected(), Under({"a.txt", "b.TXT", "c.bin", ".hidden.txt"}));
        EXPECT_EQ(control_->GetNumSelectedDirectories(), 3);  // the start and the two found in it
    }
}

TEST_F(SelectFiles, OnlyANewFilterRestartsTheWalk) {
    EXPECT_FALSE(control_->SelectFiles(root_ + "*.txt", true, 2));
    EXPECT_FALSE(control_->SelectFiles(root_ + "*.TXT", true, 1));  // continues with the third directory
    EXPECT_FALSE(control_->SelectFiles(root_ + "*.Txt", true, 1));
    EXPECT_TRUE(control_->SelectFiles(root_ + "*.txt", true, 1));
    EXPECT_EQ(control_->GetNumSelectedFiles(), 6);

    EXPECT_FALSE(control_->SelectFiles(root_ + "*.bin", true, 1));  // afresh: the start only
    EXPECT_EQ(Selected(), Under({"c.bin"}));
    EXPECT_EQ(control_->GetNumSelectedDirectories(), 3);
}

#ifndef _WIN32
// The walk keeps inside its start directory and selects only what a cabinet can hold: a link,
// to a file or a directory, is not followed, and a pipe, which would stall the make that
// opened it, is left out with the links.
TEST_F(SelectFiles, TakesOnlyRegularFilesAndFollowsNoLink) {
    WriteFile(Path("outside.txt"), "x");
    fs::create_directories(Path("elsewhere"));
    WriteFile(Path("elsewhere/far.txt"), "x");
    fs::create_symlink(Path("outside.txt"), root_ + "link.txt");
    fs::create_directory_symlink(Path("elsewhere"), root_ + "linked");
    ASSERT_EQ(::mkfifo((root_ + "pipe.txt").c_str(), 0600), 0);

    EXPECT_TRUE(control_->SelectFiles(root_ + "*.txt", true, 10));
    EXPECT_EQ(Selected(), Under({"a.txt", "b.TXT", ".hidden.txt", "sub1/d.txt", "sub1/deep/e.txt", "sub2/f.txt"}));
    EXPECT_EQ(control_->GetNumSelectedDirectories(), 4);
}
#endif

}  // namespace
}  // namespace vexa::testing
