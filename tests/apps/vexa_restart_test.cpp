// `vexa restart` carries out, at the emulated machine's "restart", the replacements that the
// components adapter recorded for files in use.

#include <gtest/gtest.h>

#include "platform/native.hpp"
#include "platform/posix/pending_renames.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

bool Says(const Outcome& outcome, const std::string& text) { return outcome.output.find(text) != std::string::npos; }

TEST(VexaRestart, ApplyReplacesInTheOrderAskedThenForgetsTheList) {
    TempDir dir;
    WriteFile(dir / "lib.dll", "old library");
    WriteFile(dir / "~vx1.tmp", "first");
    WriteFile(dir / "~vx2.tmp", "second");
    {
        NativePlatform platform;
        ASSERT_TRUE(platform.Get().components.ReplaceAtRestart(dir / "~vx1.tmp", dir / "lib.dll"));
        // A second replacement of the same file: the later one must win.
        ASSERT_TRUE(platform.Get().components.ReplaceAtRestart(dir / "~vx2.tmp", dir / "lib.dll"));
        ASSERT_TRUE(platform.Get().components.ReplaceAtRestart(dir / "gone.tmp", dir / "other.dll"));
        // Recorded as the adapter's Restart records it, which a test never calls.
        ASSERT_TRUE(PendingRenames(platform.Get().registry).RequestRestart());
    }

    Outcome listed = Vexa({"restart"});
    ASSERT_EQ(listed.status, 0) << listed.output;
    EXPECT_TRUE(Says(listed, "restart requested: yes")) << listed.output;
    std::size_t first = listed.output.find("replace " + (dir / "lib.dll") + " with " + (dir / "~vx1.tmp"));
    std::size_t second = listed.output.find("replace " + (dir / "lib.dll") + " with " + (dir / "~vx2.tmp"));
    EXPECT_LT(first, second) << listed.output;
    EXPECT_NE(second, std::string::npos) << listed.output;
    EXPECT_EQ(ReadFile(dir / "lib.dll"), "old library");

    Outcome applied = Vexa({"restart", "--apply"});
    EXPECT_EQ(applied.status, 1) << applied.output;  // gone.tmp cannot be renamed
    EXPECT_TRUE(Says(applied, "cannot replace " + (dir / "other.dll"))) << applied.output;
    EXPECT_TRUE(Says(applied, "replaced " + (dir / "lib.dll") + " with " + (dir / "~vx2.tmp"))) << applied.output;
    EXPECT_EQ(ReadFile(dir / "lib.dll"), "second");
    EXPECT_FALSE(std::filesystem::exists(dir / "~vx1.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "~vx2.tmp"));

    Outcome after = Vexa({"restart"});
    EXPECT_TRUE(Says(after, "restart requested: no")) << after.output;
    EXPECT_TRUE(Says(after, "no replacements pending")) << after.output;
}

// A program that removes itself while it runs leaves its file and its folder to the restart.
TEST(VexaRestart, ApplyDeletesAFileThenItsEmptiedFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Uninstall");
    WriteFile(dir / "Uninstall/Uninstall.EXE", "program");
    {
        NativePlatform platform;
        ASSERT_TRUE(platform.Get().components.DeleteAtRestart(dir / "Uninstall/Uninstall.EXE"));
        ASSERT_TRUE(platform.Get().components.DeleteAtRestart(dir / "Uninstall"));
    }
    Outcome listed = Vexa({"restart"});
    EXPECT_TRUE(Says(listed, "pending: delete " + (dir / "Uninstall/Uninstall.EXE"))) << listed.output;

    Outcome applied = Vexa({"restart", "--apply"});
    EXPECT_EQ(applied.status, 0) << applied.output;
    EXPECT_TRUE(Says(applied, "deleted " + (dir / "Uninstall"))) << applied.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "Uninstall"));
}

}  // namespace
}  // namespace vexa::testing
