#include "installer/install_script.hpp"

#include <gtest/gtest.h>

namespace vexa::installer {
namespace {

TEST(InstallerSettings, FirstValueCountsAndIsKeptAsWritten) {
    const ScriptLines lines{
        "' a comment",
        "setproductname \"  Acme Tools  \"",
        "SetProductDirectory \"<ProgramFilesDir>\\Acme\"",
        "SetProductDirectory \"D:\\Second\"",
        "SetProductProgramGroup \"<ProgramsGroup>\\Acme\";\"second\"",
        "SetDoneMessage \"Done.\"",
        "SetPassword \"salt$abc\"",
        "SETCHECKTRUST \"true\"",
    };
    InstallerSettings settings = ReadSettings(lines);
    EXPECT_EQ(settings.productName, "  Acme Tools  ");
    EXPECT_EQ(settings.productDirectory, "<ProgramFilesDir>\\Acme");
    EXPECT_EQ(settings.productProgramGroup, "<ProgramsGroup>\\Acme");
    EXPECT_EQ(settings.doneMessage, "Done.");
    EXPECT_EQ(settings.password, "salt$abc");
    EXPECT_EQ(settings.checkTrust, "true");
}

TEST(InstallerSettings, AValueWithoutQuotesIsEmpty) {
    EXPECT_EQ(ReadSettings({"SetProductName Acme"}).productName, "");
    EXPECT_EQ(ReadSettings({}).productDirectory, "");
}

TEST(InstallerPlaceholders, OneSeparatorAfterThePlaceholderIsAbsorbed) {
    struct Case {
        std::string_view text;
        std::optional<std::string> rest;
    };
    const Case cases[] = {
        {"<ProgramFilesDir>\\Acme", "Acme"},
        {"<programfilesdir>Acme", "Acme"},
        {"<ProgramFilesDir>/Acme/bin", "Acme/bin"},
        {"<ProgramFilesDir>\\\\Acme", "\\Acme"},
        {"<ProgramFilesDir>", ""},
        {"C:\\<ProgramFilesDir>\\Acme", std::nullopt},
        {" <ProgramFilesDir>\\Acme", std::nullopt},
        {"<ProgramFiles", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(AfterPlaceholder(c.text, kProgramFilesDirPlaceholder), c.rest) << c.text;
}

TEST(InstallerMembers, TheLastComponentUpperCased) {
    EXPECT_EQ(MemberNameOf("acme.cab"), "ACME.CAB");
    EXPECT_EQ(MemberNameOf("http://host/dir\\sub/Acme.Cab"), "ACME.CAB");
    EXPECT_EQ(MemberNameOf("dir\\lib.dll"), "LIB.DLL");
    EXPECT_EQ(MemberNameOf("dir/"), "");
}

TEST(InstallerProgramGroups, BothPlaceholdersAreNeeded) {
    const ScriptLines lines{
        "createprogramgroup \"<ProductProgramGroup>\" \"Acme\" \"<ProductDirectory>\\acme.exe\"",
        "CreateProgramGroup \"<productprogramgroup>\\Tools\", \"Help\", \"<ProductDirectory>doc\\help.htm\"",
        "CreateProgramGroup \"C:\\Elsewhere\" \"Acme\" \"<ProductDirectory>\\acme.exe\"",
        "CreateProgramGroup \"<ProductProgramGroup>\" \"Acme\" \"C:\\acme.exe\"",
        "Execute \"<ProductProgramGroup>\" \"Acme\" \"<ProductDirectory>\\acme.exe\"",
    };
    auto first = ReadProgramGroupLine(lines, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->folder, "");
    EXPECT_EQ(first->caption, "Acme");
    EXPECT_EQ(first->target, "acme.exe");
    auto second = ReadProgramGroupLine(lines, 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->folder, "Tools");
    EXPECT_EQ(second->target, "doc\\help.htm");
    for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_FALSE(ReadProgramGroupLine(lines, i)) << i;
    EXPECT_FALSE(ReadProgramGroupLine(lines, lines.size()));
}

TEST(InstallerExecute, TheFirstLineBelowTheProductDirectoryRuns) {
    struct Case {
        const char* name;
        ScriptLines lines;
        bool present;
        std::optional<std::string> program;
        std::string arguments;
    };
    const Case cases[] = {
        {"none", {"SetProductName \"Acme\""}, false, std::nullopt, ""},
        {"none qualifies", {"Execute \"C:\\acme.exe\"", "Execute \"\""}, true, std::nullopt, ""},
        {"second runs",
         {"Execute \"C:\\acme.exe\"", "executeinseparatewindow \"<ProductDirectory>\\readme.txt\"",
          "Execute \"<ProductDirectory>\\third.exe\""},
         true, "readme.txt", ""},
        {"arguments quoted and joined",
         {"Execute \"<ProductDirectory>acme.exe\" \"/s\" \"two words\" \"x\""}, true, "acme.exe",
         "/s \"two words\" x"},
        {"trimmed", {"Execute \"<ProductDirectory>\\a.exe\" \"\" \"  \" \"-v\""}, true, "a.exe", "\"  \" -v"},
        {"trimmed when empty", {"Execute \"<ProductDirectory>\\a.exe\" \"\" \"\""}, true, "a.exe", ""},
    };
    for (const Case& c : cases) {
        ExecuteSearch search = FindExecuteLine(c.lines);
        EXPECT_EQ(search.present, c.present) << c.name;
        ASSERT_EQ(search.line.has_value(), c.program.has_value()) << c.name;
        if (!search.line) continue;
        EXPECT_EQ(search.line->program, *c.program) << c.name;
        EXPECT_EQ(search.line->arguments, c.arguments) << c.name;
    }
}

}  // namespace
}  // namespace vexa::installer
