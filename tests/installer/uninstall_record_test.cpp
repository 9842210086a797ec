#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installer/uninstall_record.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::installer {
namespace {

using testing::ReadFile;
using testing::SystemFiles;
using testing::TempDir;
using testing::WriteFile;
using Lines = std::vector<std::string>;

std::string Trailer(std::string_view length) { return std::string(kRecordMarker) + std::string(length); }

TEST(UninstallRecord, WritesLinesAndTrailerAfterTheProgram) {
    TempDir dir;
    const std::string program = dir / "Uninstall.EXE";
    const std::string image(375296, 'M');
    WriteFile(program, image);
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {"Acme", "C:\\Acme\\", ""}));
    // The length stands right-aligned: eight blanks and six digits.
    EXPECT_EQ(ReadFile(program), image + "Acme\r\nC:\\Acme\\\r\n\r\n" + Trailer("        375296"));
    EXPECT_EQ(ReadUninstallRecord(SystemFiles(), program), (Lines{"Acme", "C:\\Acme\\", ""}));
}

TEST(UninstallRecord, RewritingReplacesTheOldRecord) {
    TempDir dir;
    const std::string program = dir / "Uninstall.EXE";
    WriteFile(program, "MZ");
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {"Old", "a long line of the first record"}));
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {"New"}));
    EXPECT_EQ(ReadFile(program), "MZNew\r\n" + Trailer("             2"));
    EXPECT_EQ(ReadUninstallRecord(SystemFiles(), program), (Lines{"New"}));
}

TEST(UninstallRecord, NoLinesIsTheTrailerAlone) {
    TempDir dir;
    const std::string program = dir / "Uninstall.EXE";
    WriteFile(program, "");
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {}));
    EXPECT_EQ(ReadFile(program), Trailer("             0"));
    EXPECT_EQ(ReadUninstallRecord(SystemFiles(), program), Lines{});
}

TEST(UninstallRecord, KeepsTheProgramsPermissions) {
    TempDir dir;
    const std::string program = dir / "Uninstall.EXE";
    WriteFile(program, "MZ");
    namespace fs = std::filesystem;
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {"Acme"}));
    EXPECT_EQ(fs::status(program).permissions() & fs::perms::owner_all, fs::perms::owner_all);
}

TEST(UninstallRecord, MissingFileFailsToReadAndWrite) {
    TempDir dir;
    EXPECT_FALSE(ReadUninstallRecord(SystemFiles(), dir / "none"));
    EXPECT_FALSE(WriteUninstallRecord(SystemFiles(), dir / "none", {"Acme"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
}

TEST(UninstallRecord, ReadingRules) {
    struct Case {
        const char* what;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"lines split at CR, LF dropped anywhere", "MZa\nb\r\rc\r\n" + Trailer("             2"), {"ab", "", "c"}},
        {"base length may fill all 14 places", "a\r" + Trailer("00000000000000"), {"a"}},
        {"a record without a final CR loses its last line", "a\rb" + Trailer("             0"), {"a"}},
        {"no trailer", "MZ a program without a record and no marker at its end", {}},
        {"shorter than a trailer", "BRINDELL", {}},
        {"marker in another case", "a\r\n" + std::string("brindellorgexesize") + "             0", {}},
        {"length not a number", "a\r\n" + Trailer("          12x4"), {}},
        {"length with a blank inside", "a\r\n" + Trailer("         1 2  "), {}},
        {"length all blanks", "a\r\n" + Trailer("              "), {}},
        {"length with a sign", "a\r\n" + Trailer("            -1"), {}},
        {"length beyond the file", "a\r\n" + Trailer("             4"), {}},
        {"length far beyond the file", "a\r\n" + Trailer("99999999999999"), {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(RecordLinesOf(c.bytes), c.lines) << c.what;
        WriteFile(dir / "file", c.bytes);
        EXPECT_EQ(ReadUninstallRecord(SystemFiles(), dir / "file"), c.lines) << c.what;
    }
}

TEST(UninstallRecord, WritingOverAForeignTrailerKeepsItAsProgram) {
    TempDir dir;
    const std::string program = dir / "Uninstall.EXE";
    const std::string foreign = "MZ" + Trailer("99999999999999");
    WriteFile(program, foreign);
    ASSERT_TRUE(WriteUninstallRecord(SystemFiles(), program, {"Acme"}));
    EXPECT_EQ(ReadFile(program), foreign + "Acme\r\n" + Trailer("            34"));
}

}  // namespace
}  // namespace vexa::installer
