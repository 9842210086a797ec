// `vexa setup`: setup programs made from stand-in installer images, the scripts it refuses,
// the password setting and the listing of a made program.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/vexa_program.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

bool Says(const Outcome& outcome, std::string_view text) { return outcome.output.find(text) != std::string::npos; }

constexpr const char* kScript =
    "SetProductName \"Acme Tools\"\r\n"
    "SetProductDirectory \"<ProgramFilesDir>\\Acme\"\r\n"
    "SetPassword \"s$d\"\r\n"
    "InstallProgram \"http://host/dist/prog.cab\",\"9\",\"20240101120000\",\"1\",\"9\",\"\",\"\\bin\"\r\n"
    "installdllfile \"Helper.DLL\",\"6\",\"helper.dll\",\"1,0,0,0\",\"1\",\"6\",\"\"\r\n";

class VexaSetup : public ::testing::Test {
protected:
    VexaSetup() {
        fs::create_directories(dir_ / "dist");
        WriteFile(dir_ / "image", std::string("MZ installer image"));
        WriteFile(dir_ / "uninstall", "uninstall program");
        WriteFile(dir_ / "Script.TXT", kScript);
        WriteFile(dir_ / "dist" / "prog.cab", "cab bytes");
        WriteFile(dir_ / "helper.dll", "helper");
    }
    // make OUT with the stand-in images, the script and the two files, then `extra`.
    Outcome Make(const std::string& script, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{"setup", "make", out_, script, (dir_ / "dist" / "prog.cab").string(),
                                           (dir_ / "helper.dll").string(), "--installer", (dir_ / "image").string(),
                                           "--uninstaller", (dir_ / "uninstall").string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return Vexa(arguments);
    }
    Outcome MakeWithScript(const std::string& text, std::vector<std::string> extra = {}) {
        WriteFile(dir_ / "other.txt", text);
        return Make((dir_ / "other.txt").string(), std::move(extra));
    }
    // Name and size of each member of the cabinet after the image.
    std::vector<std::pair<std::string, std::uint32_t>> Members() {
        auto files = NativeFiles();
        cab::FileCabinetSource source(files->OpenShared(out_));
        std::vector<cab::MemberInfo> members;
        EXPECT_EQ(cab::ListMembers(source, fs::file_size(dir_ / "image"), members), cab::ExpandStatus::Done);
        std::vector<std::pair<std::string, std::uint32_t>> listed;
        for (const auto& member : members) listed.emplace_back(member.name, member.size);
        return listed;
    }

    TempDir temp_;
    const fs::path dir_ = temp_.path();
    const std::string out_ = (dir_ / "setup.exe").string();
};

TEST_F(VexaSetup, MakesTheImageFollowedByTheScriptTheUninstallProgramAndTheFiles) {
    WriteFile(out_, "an older setup program");
    Outcome made = Make((dir_ / "Script.TXT").string());
    ASSERT_EQ(made.status, 0) << made.output;
    const std::string bytes = ReadFile(out_);
    EXPECT_EQ(bytes.substr(0, 18), "MZ installer image");
    EXPECT_EQ(bytes.substr(18, 4), "MSCF");
    const std::vector<std::pair<std::string, std::uint32_t>> expected{
        {"Script.TXT", std::string(kScript).size()}, {"Uninstall.EXE", 17}, {"prog.cab", 9}, {"helper.dll", 6}};
    EXPECT_EQ(Members(), expected);
    EXPECT_NE(fs::status(out_).permissions() & fs::perms::owner_exec, fs::perms::none);

    // The script's bytes are carried as they are.
    WriteFile(dir_ / "tail.cab", bytes.substr(18));
    Outcome expanded = Vexa({"cab", "expand", (dir_ / "tail.cab").string(), (dir_ / "x").string()});
    ASSERT_EQ(expanded.status, 0) << expanded.output;
    EXPECT_EQ(ReadFile(dir_ / "x" / "Script.TXT"), kScript);

    ASSERT_EQ(Make((dir_ / "Script.TXT").string(), {"--no-uninstall"}).status, 0);
    const std::vector<std::pair<std::string, std::uint32_t>> withoutUninstall{
        {"Script.TXT", std::string(kScript).size()}, {"prog.cab", 9}, {"helper.dll", 6}};
    EXPECT_EQ(Members(), withoutUninstall);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_FALSE(entry.path().filename().string().starts_with("~vx")) << entry.path();
}

TEST_F(VexaSetup, RefusesScriptsTheInstallerWouldStopAtAndBadMembers) {
    const std::string programLine =
        "InstallProgram \"prog.cab\",\"9\",\"20240101120000\",\"1\",\"9\",\"\",\"\"\r\n";
    const struct {
        std::string script;
        std::string says;
    } cases[] = {
        {"SetProductDirectory \"C:\\Acme\"\r\n", std::string(installer::kNoProductName)},
        {"SetProductName Acme\r\nSetProductDirectory \"C:\\Acme\"\r\n", std::string(installer::kNoProductName)},
        {"SetProductName \"Acme\"\r\n", std::string(installer::kNoProductDirectory)},
        {"SetProductName \"Acme\"\r\nSetProductDirectory \"  \"\r\n", std::string(installer::kNoProductDirectory)},
        {"SetProductName \"Acme\"\r\nSetProductDirectory \"<ProgramFilesDir>\"\r\n", std::string(installer::kNoSubDirectory)},
        {"SetProductName \"Acme\"\r\nSetProductDirectory \"C:\\\"\r\n", std::string(installer::kNoSubDirectory)},
        // The first of two values counts, as in the installer.
        {"SetProductName \"Acme\"\r\nSetProductDirectory \"<programfilesdir>\\\"\r\nSetProductDirectory \"C:\\A\"\r\n",
         std::string(installer::kNoSubDirectory)},
        {"SetProductName \"Acme\"\r\nSetProductDirectory \"C:\\Acme\"\r\n" + programLine +
             "InstallOcxFile \"http://h/Control.cab\",\"1\",\"c.ocx\",\"1,0,0,0\",\"{0}\",\"1\",\"1\",\"\"\r\n",
         "line 4 installs \"CONTROL.CAB\", which is not among the files given"},
    };
    for (const auto& c : cases) {
        Outcome refused = MakeWithScript(c.script);
        EXPECT_EQ(refused.status, 2) << c.script << refused.output;
        EXPECT_TRUE(Says(refused, c.says)) << c.script << refused.output;
        EXPECT_FALSE(fs::exists(out_)) << c.script;
    }
}

TEST_F(VexaSetup, RefusesMembersOfOneNameInputsAsOutputAndMissingFiles) {
    fs::create_directories(dir_ / "b");
    WriteFile(dir_ / "b" / "HELPER.dll", "other");
    const std::string script = (dir_ / "Script.TXT").string();
    const struct {
        std::vector<std::string> arguments;
        std::string says;
    } cases[] = {
        {{"setup", "make", out_, script, (dir_ / "helper.dll").string(), (dir_ / "b" / "HELPER.dll").string()},
         "a second member named \"HELPER.dll\""},
        {{"setup", "make", out_, script, script}, "a second member named \"Script.TXT\""},
        {{"setup", "make", (dir_ / "dist" / ".." / "helper.dll").string(), script, (dir_ / "helper.dll").string(),
          "--no-uninstall"},
         "is " + (dir_ / "helper.dll").string() + ", which goes into the setup program"},
        {{"setup", "make", script, script, "--no-uninstall"}, "which goes into the setup program"},
        {{"setup", "make", (dir_ / "image").string(), script, "--installer", (dir_ / "image").string(),
          "--no-uninstall"},
         "is the installer image"},
        {{"setup", "make", out_, script, (dir_ / "gone.cab").string(), "--no-uninstall"}, "gone.cab: no such file"},
        {{"setup", "make", out_, script, "--for", "dos"}, "--for"},
        {{"setup", "make", out_, script, "--installer", (dir_ / "none").string(), "--no-uninstall"},
         "none: no such file"},
    };
    for (const auto& c : cases) {
        Outcome refused = Vexa(c.arguments);
        EXPECT_EQ(refused.status, 2) << c.says << refused.output;
        EXPECT_TRUE(Says(refused, c.says)) << c.says << refused.output;
        EXPECT_FALSE(fs::exists(out_)) << c.says;
    }
    EXPECT_EQ(ReadFile(script), kScript);
    EXPECT_EQ(ReadFile(dir_ / "helper.dll"), "helper");
    EXPECT_EQ(ReadFile(dir_ / "image"), "MZ installer image");
}

TEST_F(VexaSetup, PasswordPrintsASaltedSettingThatTheInstallerAccepts) {
    Outcome first = Vexa({"setup", "password", "open sesame"});
    Outcome second = Vexa({"setup", "password", "open sesame"});
    ASSERT_EQ(first.status, 0) << first.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(first.output, match, std::regex("([0-9a-f]{32}\\$[0-9a-f]{64})\n"))) << first.output;
    const std::string setting = match[1];
    EXPECT_EQ(installer::EncodePassword("open sesame", setting), setting);
    EXPECT_NE(installer::EncodePassword("open sesam", setting), setting);
    EXPECT_NE(first.output, second.output);
}

TEST_F(VexaSetup, ListShowsTheMembersAndTheSettings) {
    ASSERT_EQ(Make((dir_ / "Script.TXT").string()).status, 0);
    Outcome listed = Vexa({"setup", "list", out_, "--installer", (dir_ / "image").string()});
    ASSERT_EQ(listed.status, 0) << listed.output;
    for (const char* line : {"attachment at byte 18:\n", "  Script.TXT\n", "          17  Uninstall.EXE\n",
                             "           9  prog.cab\n", "           6  helper.dll\n",
                             "ProductName         \"Acme Tools\"\n",
                             "ProductDirectory    \"<ProgramFilesDir>\\Acme\"\n", "ProductProgramGroup \"\"\n",
                             "Password            \"s$d\"\n", "CheckTrust          \"\"\n"})
        EXPECT_TRUE(Says(listed, line)) << line << listed.output;

    // The image alone has no attachment; an image of another size finds none where it looks.
    Outcome bare = Vexa({"setup", "list", (dir_ / "image").string(), "--installer", (dir_ / "image").string()});
    EXPECT_EQ(bare.status, 2) << bare.output;
    Outcome shifted = Vexa({"setup", "list", out_, "--installer", (dir_ / "helper.dll").string()});
    EXPECT_EQ(shifted.status, 2) << shifted.output;
    EXPECT_TRUE(Says(shifted, "no attachment can be read at byte 6")) << shifted.output;
}

// The shipped programs: this system's own installer is found in the share directory, both
// by make and, by its size, by list.
TEST_F(VexaSetup, MakesANativeSetupFromTheShippedPrograms) {
    Outcome made = Vexa({"setup", "make", out_, (dir_ / "Script.TXT").string(), (dir_ / "dist" / "prog.cab").string(),
                         (dir_ / "helper.dll").string(), "--for", "native"});
    ASSERT_EQ(made.status, 0) << made.output;
    Outcome listed = Vexa({"setup", "list", out_});
    ASSERT_EQ(listed.status, 0) << listed.output;
    EXPECT_TRUE(Says(listed, "attachment at byte " +
                                 std::to_string(fs::file_size(fs::path(VEXA_WIZARD_SHARE_DIR) / "native" / "VexaInstall"))))
        << listed.output;
    EXPECT_TRUE(Says(listed, "  Uninstall.EXE\n")) << listed.output;
}

}  // namespace
}  // namespace vexa::testing
