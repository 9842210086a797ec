#include <filesystem>

#include "common/format_path.hpp"
#include "tests/cabinet/control_fixture.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

class Utilities : public ControlTest {
protected:
    Value Call(const std::string& method, std::vector<Value> arguments) {
        const auto* entry = VexaCBDispatch().FindMethod(method);
        EXPECT_NE(entry, nullptr) << method;
        if (!entry) return {};
        InvokeResult result = Invoke(*control_, *entry, arguments);
        EXPECT_EQ(result.status, InvokeStatus::Done) << method;
        return result.value;
    }
};

Value S(const std::string& text) { return Value(text); }
Value L(std::int32_t number) { return Value(number); }

TEST_F(Utilities, TextAndPathMethods) {
    const struct {
        const char* method;
        std::vector<Value> arguments;
        Value result;
    } cases[] = {
        {"Filename2FilenameNoExt", {S("archive.tar.gz")}, S("archive.tar")},
        {"Filename2FilenameNoExt", {S("noext")}, S("noext")},
        {"FullPathname2Pathname", {S("C:\\a/b.txt")}, S("C:\\a/")},
        {"FullPathname2Pathname", {S("bare.txt")}, S("")},
        {"FullPathname2Filename", {S("C:\\a\\b.txt")}, S("b.txt")},
        {"FullPathname2Filename", {S("bare")}, S("bare")},
        {"FullPathname2Filename", {S("")}, S("")},
        {"ReplaceStringAllOccurrences", {S("aXbXX"), S("X"), S("XX")}, S("aXXbXXXX")},
        {"ReplaceStringAllOccurrences", {S("aaa"), S("aa"), S("b")}, S("ba")},
        {"ReplaceStringAllOccurrences", {S("abc"), S(""), S("x")}, S("abc")},
        {"GetSelectedFile", {L(-1)}, S("")},
        {"GetFilenameInCab", {L(0)}, S("")},
        {"SplitFile", {S("x"), L(1)}, S("Number of splits must be 2 or larger.")},
    };
    for (const auto& c : cases) EXPECT_EQ(Call(c.method, c.arguments), c.result) << c.method;
}

TEST_F(Utilities, IsFileFindsFilesFoldersAndWildcardMatches) {
    WriteFile(Path("a.txt"), "x");
    const struct {
        std::string name;
        bool found;
    } cases[] = {
        {"", false},           {"  \t", false},       {Path("a.txt"), true},  {dir_.path().string(), true},
        {Path("*.TXT"), true}, {Path("a.?xt"), true}, {Path("*.bin"), false}, {Path("missing.txt"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(control_->IsFile(c.name), c.found) << c.name;
}

TEST_F(Utilities, TimesAndTextFiles) {
    std::string file = Path("t.txt");
    std::string text("line\r\nmore\0x", 12);
    EXPECT_TRUE(control_->StringToTextFile(text, file));
    EXPECT_EQ(control_->TextFileToString(file), text);
    EXPECT_EQ(control_->TextFileToString(Path("missing")), "");
    EXPECT_FALSE(control_->StringToTextFile("x", Path("no/such/folder/f.txt")));
    // A folder in the way is left alone, and nothing is left beside it.
    fs::create_directories(Path("folder"));
    EXPECT_FALSE(control_->StringToTextFile("x", Path("folder")));
    EXPECT_TRUE(fs::is_directory(Path("folder")));
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(Path("folder")).parent_path()), {}), 2);

    EXPECT_TRUE(control_->SetFileLastModifTime(file, "19981106042436"));
    EXPECT_EQ(control_->GetFileLastModifTime(file), "19981106042436");
    for (const char* bad : {"19981306042436", "1998110604243", "", "1998110604243x"})
        EXPECT_FALSE(control_->SetFileLastModifTime(file, bad)) << bad;
    EXPECT_FALSE(control_->SetFileLastModifTime(Path("missing"), "19981106042436"));
    EXPECT_EQ(control_->GetFileLastModifTime(Path("missing")), "");
}

TEST_F(Utilities, DialogFiltersEndInTwoBars) {
    const struct {
        const char* given;
        const char* passed;
    } cases[] = {
        {"Text|*.txt", "Text|*.txt||"},
        {"Text|*.txt|", "Text|*.txt||"},
        {"Text|*.txt||", "Text|*.txt||"},
    };
    for (const auto& c : cases) {
        ui_.Answer("/chosen/file.txt");
        EXPECT_EQ(control_->DisplaySelectFileDialog("txt", c.given), "/chosen/file.txt");
        EXPECT_EQ(ui_.Questions().back().file.filter, c.passed);
    }
    EXPECT_EQ(control_->DisplaySaveAsDialog("cab", "Cabinets|*.cab", "Save the cabinet", "Prog1.cab"), "");
    const FakeUi::Question& saveAs = ui_.Questions().back();
    EXPECT_EQ(saveAs.kind, "save");
    EXPECT_EQ(saveAs.title, "Save the cabinet");
    EXPECT_EQ(saveAs.file.initialName, "Prog1.cab");
    EXPECT_EQ(saveAs.file.defaultExtension, "cab");
    EXPECT_EQ(control_->DisplaySelectFileDialog2("txt", "|", "Open", "a.txt"), "");
    EXPECT_EQ(ui_.Questions().back().kind, "open");
}

TEST_F(Utilities, TheFolderDialogGivesADirectoryString) {
    std::string folder = dir_.path().string();
    ui_.Answer(folder);
    ui_.Answer(folder + kNativeSeparator);
    ui_.Answer(std::nullopt);
    EXPECT_EQ(control_->DisplaySelectDirectoryDialog(0, "Program folder"), folder + kNativeSeparator);
    EXPECT_EQ(control_->DisplaySelectDirectoryDialog(0, "Program folder"), folder + kNativeSeparator);
    EXPECT_EQ(control_->DisplaySelectDirectoryDialog(0, "Program folder"), "");
    EXPECT_EQ(ui_.Questions().front().title, "Program folder");
}

TEST_F(Utilities, RegistrationExecutionAndTheAboutBoxGoThroughThePlatform) {
    components_.AddServer("ctl.ocx", true, false);
    EXPECT_TRUE(control_->RegisterOcxFile("ctl.ocx"));
    EXPECT_FALSE(control_->UnregisterOcxFile("ctl.ocx"));
    EXPECT_FALSE(control_->RegisterOcxFile("missing.ocx"));
    EXPECT_EQ(components_.Calls(), std::vector<std::string>{"DllRegisterServer ctl.ocx"});

    shell_.FailToOpen("broken.exe");
    EXPECT_TRUE(control_->Execute("notes.txt"));
    EXPECT_FALSE(control_->Execute("broken.exe"));
    EXPECT_EQ(shell_.Opened(), std::vector<std::string>{"notes.txt"});

    control_->AboutBox();
    EXPECT_EQ(ui_.Questions().back().kind, "message");
}

TEST_F(Utilities, Cab2ExeWritesTheControlsStubBeforeTheCabinet) {
    WriteFile(Path("in.cab"), "MSCF-cabinet-bytes");
    ASSERT_TRUE(control_->Cab2Exe(Path("in.cab"), Path("out.exe")));
    EXPECT_EQ(ReadFile(Path("out.exe")), "MZstubMSCF-cabinet-bytes");
}

}  // namespace
}  // namespace vexa::testing
