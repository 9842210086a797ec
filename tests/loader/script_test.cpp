#include "loader/script.hpp"

#include <gtest/gtest.h>

#include "platform/fake/fake_files.hpp"

namespace vexa {
namespace {

const std::string kHeader =
    std::string(49, '\'') + "\r\n"
    "' File Name: Script.txt\r\n"
    "'\r\n"
    "' This file was generated automatically with the \r\n"
    "' Brindell Quillforge.\r\n"
    "' Created: 19981106042436\r\n" +
    std::string(49, '\'') + "\r\n";

ScriptLines Load(const std::string& bytes) {
    FakeFiles files;
    files.Put("Script.txt", bytes);
    ScriptLines lines{"left over"};
    EXPECT_TRUE(LoadScriptLines(files, "Script.txt", lines));
    return lines;
}

TEST(ScriptReading, CrEndsLinesAndLfIsDropped) {
    EXPECT_EQ(Load("a\r\nb\r\n"), (ScriptLines{"a", "b", ""}));
    EXPECT_EQ(Load("a\nb\n"), (ScriptLines{"ab"}));
    EXPECT_EQ(Load("a\rb"), (ScriptLines{"a", "b"}));
    EXPECT_EQ(Load("x\n\ny\r\r"), (ScriptLines{"xy", "", ""}));
    EXPECT_EQ(Load(""), (ScriptLines{""}));
    EXPECT_EQ(Load(std::string("n\0ul\xff", 5)), (ScriptLines{std::string("n\0ul\xff", 5)}));
}

TEST(ScriptReading, LongScriptsCrossReadBlocks) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "Set" + std::to_string(i) + " \"v\"\r\n";
    ScriptLines lines = Load(bytes);
    ASSERT_EQ(lines.size(), 20001u);
    EXPECT_EQ(lines[12345], "Set12345 \"v\"");
}

TEST(ScriptReading, FailsWhenTheFileCannotBeOpenedOrRead) {
    FakeFiles files;
    ScriptLines lines{"kept"};
    EXPECT_FALSE(LoadScriptLines(files, "missing.txt", lines));
    EXPECT_EQ(lines, ScriptLines{"kept"});
    files.Put("bad.txt", kHeader + std::string(100000, 'x'));
    files.FailReadsFrom("bad.txt", 70000);
    EXPECT_FALSE(LoadScriptLines(files, "bad.txt", lines));
}

TEST(ScriptLine, CommandWordIsTrimmedCutAndUpperCased) {
    ScriptLines lines{"  \t\vInstallOcxFile \"a\"", "INSTALLOCXFILE\"a\"", "execute\t\"x\"",
                      "'InstallOcxFile \"a\"", "", "   ", "Word"};
    EXPECT_EQ(GetCommandWord(lines, 0), "INSTALLOCXFILE");
    EXPECT_EQ(GetCommandWord(lines, 1), "INSTALLOCXFILE");
    EXPECT_EQ(GetCommandWord(lines, 2), "EXECUTE");
    EXPECT_EQ(GetCommandWord(lines, 3), "'INSTALLOCXFILE");  // a comment, never a command
    EXPECT_EQ(GetCommandWord(lines, 4), "");
    EXPECT_EQ(GetCommandWord(lines, 5), "");
    EXPECT_EQ(GetCommandWord(lines, 6), "WORD");
    EXPECT_EQ(GetCommandWord(lines, 7), "");
}

TEST(ScriptLine, ArgumentsAreTheTextsBetweenQuotePairs) {
    ScriptLines lines{
        "InstallProgram \"Prog1.cab\", \"1234\", \"\", \"0\"",
        "INSTALLPROGRAM\"Prog1.cab\"\"1234\"junk\"x\"",
        "Cmd \"a\"\"b\"",      // a quote inside an argument splits it in two
        "Cmd \"a\", \"open",   // an unclosed argument is absent
        "Cmd no quotes",
    };
    EXPECT_EQ(CountArguments(lines, 0), 4);
    EXPECT_EQ(GetArgument(lines, 0, 1), "Prog1.cab");
    EXPECT_EQ(GetArgument(lines, 0, 2), "1234");
    EXPECT_EQ(GetArgument(lines, 0, 3), "");
    EXPECT_EQ(GetArgument(lines, 0, 5), "");
    EXPECT_EQ(GetArgument(lines, 0, 0), "");
    EXPECT_EQ(CountArguments(lines, 1), 3);
    EXPECT_EQ(GetArgument(lines, 1, 2), "1234");
    EXPECT_EQ(GetArgument(lines, 1, 3), "x");
    EXPECT_EQ(CountArguments(lines, 2), 2);
    EXPECT_EQ(GetArgument(lines, 2, 1), "a");
    EXPECT_EQ(GetArgument(lines, 2, 2), "b");
    EXPECT_EQ(CountArguments(lines, 3), 1);
    EXPECT_EQ(GetArgument(lines, 3, 2), "");
    EXPECT_EQ(CountArguments(lines, 4), 0);
    EXPECT_EQ(GetArgument(lines, 9, 1), "");
}

TEST(ScriptLine, FirstDefinitionOfAVariableWins) {
    ScriptLines lines{"' SetInstallDialogTitle \"comment\"", "setinstalldialogtitle \"First\"",
                      "SetInstallDialogTitle \"Second\"", "SetProductDirectoryX \"other\""};
    EXPECT_EQ(GetScriptVar(lines, "InstallDialogTitle"), "First");
    EXPECT_EQ(GetScriptVar(lines, "ProductDirectory"), "");
    EXPECT_EQ(GetScriptVar(lines, "ExeWindowTitle"), "");
}

TEST(ScriptLine, ReplaceFirstReplacesOneOccurrence) {
    EXPECT_EQ(ReplaceFirst("a.cab a.cab", "a.cab", "X"), "X a.cab");
    EXPECT_EQ(ReplaceFirst("abc", "z", "X"), "abc");
    EXPECT_EQ(ReplaceFirst("abc", "", "X"), "abc");
}

TEST(ScriptHeader, LinesFourAndFiveMustMatchExactly) {
    EXPECT_TRUE(HasValidHeader(SplitScriptText(kHeader)));
    EXPECT_FALSE(HasValidHeader(SplitScriptText("'\r\n'\r\n'\r\n' This file was generated automatically with the ")));
    std::string noBlank = kHeader;
    noBlank.replace(noBlank.find("the \r\n"), 6, "the\r\n");
    EXPECT_FALSE(HasValidHeader(SplitScriptText(noBlank)));
    std::string lower = kHeader;
    lower.replace(lower.find("Brindell"), 1, "b");
    EXPECT_FALSE(HasValidHeader(SplitScriptText(lower)));
    std::string lfOnly = kHeader;
    std::erase(lfOnly, '\r');
    EXPECT_FALSE(HasValidHeader(SplitScriptText(lfOnly)));
}

std::string Prepared(const std::string& body, std::string_view defaultUrl, std::string_view pageBase,
                     std::string* error = nullptr) {
    ScriptLines lines = SplitScriptText(kHeader + "SetProductDirectory \"<TempDir>\\P\"\r\n" + body);
    std::string failure = PrepareScript(lines, defaultUrl, pageBase);
    if (error) *error = failure;
    return lines[8];
}

TEST(ScriptRewrite, DefaultUrlGivesExactlyOneSeparator) {
    const struct { const char* line; const char* defaultUrl; const char* result; } cases[] = {
        {"InstallProgram \"<DEFAULTURL>/Prog1.cab\"", "http://h/d", "InstallProgram \"http://h/d/Prog1.cab\""},
        {"InstallProgram \"<DEFAULTURL>\\Prog1.cab\"", "http://h/d", "InstallProgram \"http://h/d/Prog1.cab\""},
        {"InstallProgram \"<DefaultUrl>Prog1.cab\"", "http://h/d", "InstallProgram \"http://h/d/Prog1.cab\""},
        {"InstallProgram \"<DEFAULTURL>Prog1.cab\"", "http://h/d/", "InstallProgram \"http://h/d/Prog1.cab\""},
        {"InstallProgram \"<DEFAULTURL>Prog1.cab\"", "http://h/d/page.htm", "InstallProgram \"http://h/d/page.htm/Prog1.cab\""},
        {"InstallDllFile \"<DEFAULTURL>a.cab\"", "\\\\srv\\share", "InstallDllFile \"\\\\srv\\share\\a.cab\""},
        {"X \"<DEFAULTURL>a\" \"<DEFAULTURL>b\"", "u/", "X \"u/a\" \"<DEFAULTURL>b\""},
        {"X \"<DEFAULTURL>\"", "u", "X \"u/\""},
        {"X \"<DEFAULTURL>", "u", "X \"u/"},
    };
    for (const auto& c : cases) EXPECT_EQ(Prepared(c.line, c.defaultUrl, ""), c.result) << c.line;
}

TEST(ScriptRewrite, CabinetsBecomeUrlsNextToThePage) {
    const struct { const char* line; const char* result; } cases[] = {
        {"InstallProgram \"Prog1.cab\", \"10\"", "InstallProgram \"http://host/dir/Prog1.cab\", \"10\""},
        {"installocxfile \"ctl/A.cab\"", "installocxfile \"http://host/dir/ctl/A.cab\""},
        {"InstallDllFile \"https://other/x/B.cab\"", "InstallDllFile \"https://other/x/B.cab\""},
        {"InstallProgram \"My%20Prog.cab\"", "InstallProgram \"http://host/dir/My Prog.cab\""},
        {"InstallProgram \"Program\"", "InstallProgram \"http://host/dir/Program\""},
        {"InstallProgram \"\", \"Prog1.cab\"", "InstallProgram \"\", \"Prog1.cab\""},
        {"Execute \"Prog1.cab\"", "Execute \"Prog1.cab\""},
        {"' InstallProgram \"Prog1.cab\"", "' InstallProgram \"Prog1.cab\""},
    };
    for (const auto& c : cases) EXPECT_EQ(Prepared(c.line, "", "http://host/dir/"), c.result) << c.line;
    EXPECT_EQ(Prepared("InstallProgram \"Prog1.cab\"", "", ""), "InstallProgram \"Prog1.cab\"");
    EXPECT_EQ(Prepared("InstallProgram \"<DEFAULTURL>Prog1.cab\"", "cabs", "http://host/dir/"),
              "InstallProgram \"http://host/dir/cabs/Prog1.cab\"");
}

TEST(ScriptPrepare, ReportsTheFirstFailureInOrder) {
    const struct { std::string script; std::string_view error; } cases[] = {
        {kHeader + "SetProductDirectory \"<TempDir>\\Prog\"\r\n", ""},
        {kHeader + "SetProductDirectory \"<tempdir>\"\r\n", ""},
        {kHeader + "SetProductDirectory \"C:\\<TempDir>\"\r\n", kProductDirectoryNotUnderTempDir},
        {kHeader + "SetProductDirectory \"<Temp\"\r\n", kProductDirectoryNotUnderTempDir},
        {kHeader, kProductDirectoryNotUnderTempDir},
        {"SetProductDirectory \"C:\\\"\r\n", kInvalidScriptFile},
    };
    for (const auto& c : cases) {
        ScriptLines lines = SplitScriptText(c.script);
        EXPECT_EQ(PrepareScript(lines, "", ""), c.error) << c.script;
    }
}

}  // namespace
}  // namespace vexa
