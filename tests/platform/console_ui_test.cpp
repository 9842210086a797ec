#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/posix/console_ui.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

struct Console {
    explicit Console(const std::string& answers) : in(answers), ui(in, out) {}
    std::istringstream in;
    std::ostringstream out;
    ConsoleUi ui;
};

TEST(ConsoleUi, FolderAnswersMustNameAFolder) {
    testing::TempDir dir;
    testing::WriteFile(dir / "file.txt", "x");
    Console console(dir.path().string() + "\n" + (dir / "file.txt") + "\n" + (dir / "missing") + "\n\n");
    EXPECT_EQ(console.ui.SelectFolder(0, "Pick the program folder"), dir.path().string());
    EXPECT_EQ(console.ui.SelectFolder(0, "x"), std::nullopt);
    EXPECT_EQ(console.ui.SelectFolder(0, "x"), std::nullopt);
    EXPECT_EQ(console.ui.SelectFolder(0, "x"), std::nullopt);  // empty answer
    EXPECT_EQ(console.ui.SelectFolder(0, "x"), std::nullopt);  // end of input
    EXPECT_NE(console.out.str().find("Pick the program folder: "), std::string::npos);
}

TEST(ConsoleUi, FileAnswersGetTheDefaultExtensionAndTheInitialName) {
    testing::TempDir dir;
    Console console((dir / "notes") + "\n" + (dir / "archive.tar") + "\n\n");
    FileDialog dialog{"txt", "Text files|*.txt|All files|*.*||", "Open notes", "first.txt"};
    EXPECT_EQ(console.ui.OpenFile(dialog), dir / "notes.txt");
    EXPECT_EQ(console.ui.OpenFile(dialog), dir / "archive.tar");
    EXPECT_EQ(console.ui.OpenFile(dialog), fs::absolute("first.txt").string());
    EXPECT_EQ(console.ui.OpenFile(dialog), std::nullopt);
    EXPECT_NE(console.out.str().find("Open notes [Text files (*.txt), All files (*.*)] (first.txt): "),
              std::string::npos);
}

TEST(ConsoleUi, SaveAsAsksBeforeReplacingAndAsksAgainWhenDeclined) {
    testing::TempDir dir;
    testing::WriteFile(dir / "old.cab", "x");
    Console console((dir / "old.cab") + "\nn\n" + (dir / "old.cab") + "\ny\n" + (dir / "old.cab") + "\n");
    FileDialog dialog{"cab", "Cabinets|*.cab||", "", ""};
    EXPECT_EQ(console.ui.SaveAs(dialog), dir / "old.cab");
    EXPECT_NE(console.out.str().find("already exists. Replace it? [y/N]"), std::string::npos);
    EXPECT_EQ(console.ui.SaveAs(dialog), std::nullopt);  // the question meets the end of the input
}

}  // namespace
}  // namespace vexa
