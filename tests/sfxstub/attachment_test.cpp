#include "sfxstub/attachment.hpp"

#include <gtest/gtest.h>

#include "sfxstub/stub_texts.hpp"
#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::uint64_t kOffset = 1000;

// More than the copy buffer holds, so the copy takes several blocks.
TEST(CopyAttachment, CopiesEverythingAfterTheOffsetIntoANewTemporaryCabinet) {
    TempDir dir;
    TestFiles files(dir.path());
    const std::string attachment = test::RandomBytes(2'345'678, 1);
    WriteFile(dir / "setup", std::string(kOffset, 'S') + attachment);

    AttachmentCopy copy = CopyAttachment(files, dir / "setup", kOffset);
    ASSERT_EQ(copy.failure, "");
    ASSERT_EQ(files.temps.size(), 1u);
    EXPECT_EQ(copy.tempPath, files.temps[0]);
    EXPECT_EQ(std::filesystem::path(copy.tempPath).filename().string().substr(0, 3), "~cb");
    EXPECT_TRUE(ReadFile(copy.tempPath) == attachment);
}

TEST(CopyAttachment, StartUpFailuresLeaveNoTemporaryFile) {
    TempDir dir;
    WriteFile(dir / "bare", std::string(kOffset, 'S'));
    WriteFile(dir / "short", std::string(kOffset - 1, 'S'));
    WriteFile(dir / "setup", std::string(kOffset, 'S') + test::RandomBytes(1'500'000, 2));
    const struct {
        const char* label;
        const char* own;
        const char* message;
        std::function<void(TestFiles&)> arrange;
    } cases[] = {
        {"nothing attached", "bare", kEmpty, {}},
        {"shorter than the stub", "short", kEmpty, {}},
        {"own file unreadable", "missing", kCannotRead, {}},
        {"no temporary name", "setup", kNoTempName, [](TestFiles& f) { f.refuseTemp = true; }},
        {"read fails in the second block", "setup", kCannotRead, [](TestFiles& f) { f.shortReadsFrom = 1'200'000; }},
    };
    for (const auto& c : cases) {
        TestFiles files(dir.path());
        if (c.arrange) c.arrange(files);
        AttachmentCopy copy = CopyAttachment(files, dir / c.own, kOffset);
        EXPECT_EQ(copy.failure, c.message) << c.label;
        EXPECT_EQ(copy.tempPath, "") << c.label;
        EXPECT_EQ(files.TempsLeft(), 0u) << c.label;
    }

    TestFiles noFolder(dir.path() / "missing-folder");
    EXPECT_EQ(CopyAttachment(noFolder, dir / "setup", kOffset).failure, kNoTempOpen);
}

}  // namespace
}  // namespace vexa::sfx
