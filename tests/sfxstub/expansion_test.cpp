#include "sfxstub/expansion.hpp"

#include <gtest/gtest.h>

#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A list entry marked with "*" skips its file before anything is asked or written.
TEST(ExpandCabinet, SkipsTheFilesOfMarkedEntries) {
    TempDir dir;
    TestFiles files(dir.path());
    ScriptedUi ui;
    WriteFile(dir / "attached.cab", CabinetOf({{"a.txt", "new"}, {"b.txt", "new"}, {"c.txt", "new"}}));
    std::filesystem::create_directories(dir / "out");
    WriteFile(dir / "out/a.txt", "old");
    ExpansionFlags flags;

    ExpansionResult result =
        ExpandCabinet(files, ui, dir / "attached.cab", dir / "out", {"*a.txt", "b.txt", "*c.txt"}, flags);
    EXPECT_EQ(result.outcome, ExpansionOutcome::Done);
    EXPECT_TRUE(result.created);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(ui.statuses, std::vector<std::string>{"Now extracting: b.txt"});
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "old");
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.txt"));
}

// A cancel or a close that comes before the expansion has begun still stops it: nothing is
// written, and only a cancel is announced.
TEST(ExpandCabinet, StopsBeforeTheFirstFileWhenCancelledOrClosingAlready) {
    TempDir dir;
    WriteFile(dir / "attached.cab", CabinetOf({{"a.txt", "new"}}));
    const struct {
        const char* label;
        bool cancel;
        bool closing;
        bool announced;
    } cases[] = {{"cancelled", true, false, true}, {"closing", false, true, false}};
    for (const auto& c : cases) {
        TestFiles files(dir.path());
        ScriptedUi ui;
        ExpansionFlags flags;
        flags.cancel = c.cancel;
        flags.closing = c.closing;
        ExpansionResult result = ExpandCabinet(files, ui, dir / "attached.cab", dir / "out", {"a.txt"}, flags);
        EXPECT_EQ(result.outcome, ExpansionOutcome::Cancelled) << c.label;
        EXPECT_FALSE(result.created) << c.label;
        EXPECT_EQ(EndMessageOf(result).has_value(), c.announced) << c.label;
        EXPECT_FALSE(flags.cancel) << c.label;  // cleared for the next expansion
        EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt")) << c.label;
    }
}

}  // namespace
}  // namespace vexa::sfx
