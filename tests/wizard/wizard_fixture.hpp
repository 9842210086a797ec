#pragma once
// The page wizard on real files in a fresh folder: a program directory, the wizard's own
// directory with the loader's files and a template, and a Windows directory for the
// loader's caches. Message loop, clock, dialogs, registry, versions and processes are fakes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/format_path.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_components.hpp"
#include "platform/fake/fake_internet.hpp"
#include "platform/fake/fake_processes.hpp"
#include "platform/fake/fake_registry.hpp"
#include "platform/fake/fake_shell.hpp"
#include "platform/fake/fake_trust.hpp"
#include "platform/fake/fake_ui.hpp"
#include "platform/fake/fake_windows.hpp"
#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"
#include "wizard/vexa_web_express.hpp"

namespace vexa::wizard::test {

namespace fs = std::filesystem;

inline constexpr char kSep = kNativeSeparator;

// A template with every placeholder, small enough to compare whole.
inline const std::string kTemplate =
    "<!-- VEXA_WIZARD_VERSION VEXA_GENERATED_TIME -->\r\n<title>VEXA_HTML_TITLE</title>\r\n"
    "RunScript(\"VEXA_SCRIPT_FILENAME\") codebase=\"VEXA_LOAD_OCX_URL#Version=VEXA_LOAD_OCX_VERSION\"\r\n"
    "<a href=\"VEXA_STAND_ALONE_EXE_NAME\">VEXA_STAND_ALONE_EXE_NAME</a>\r\n";

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteAll(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Bytes that do not compress, so that a cabinet is about as large as its file.
inline std::string Noise(std::size_t size, unsigned seed = 1) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

class WizardTest : public ::testing::Test {
protected:
    WizardTest() {
        WriteAll(AppFile("VexaLoad.ocx"), "MZ loader control");
        WriteAll(AppFile("VexaLoad.cab"), "MSCF loader cabinet");
        WriteAll(AppFile("VexaStandAloneWebProg.exe"), "MZ stand-alone stub");
        WriteAll(AppFile("HtmlTemplates/Template01.htm"), kTemplate);
        components_.SetFileVersion(AppFile("VexaLoad.ocx"), "2.3.0.35");
        fs::create_directories(root_ / "windows");
        shell_.SetFolder(SpecialFolder::Windows, (root_ / "windows").string());
        clock_.SetLocalNow({1998, 11, 6, 4, 24, 37});
    }

    std::string AppDir() const { return (root_ / "app").string() + kSep; }
    std::string AppFile(const std::string& name) const { return (root_ / "app" / name).string(); }
    std::string Program() const { return (root_ / "prog").string() + kSep; }
    void AddProgramFile(const std::string& relative, const std::string& bytes = "data") {
        WriteAll(Program() + NativePath(relative).string(), bytes);
    }

    VexaWebExpress& Wizard() {
        if (!wizard_) wizard_ = std::make_unique<VexaWebExpress>(platform_, AppDir(), WizardVersion{6, 7, 5});
        return *wizard_;
    }
    void NewWizard() { wizard_.reset(); }

    // Start-up, then step 1 with the program directory chosen.
    void OpenProgram() {
        ASSERT_TRUE(Wizard().Start());
        Wizard().cmdNext_Click();
        ui_.Answer(Program());
        Wizard().cmdSelectDirectory_Click();
    }
    // Next until step `step`; false when a check holds the wizard earlier.
    bool NextTo(int step) {
        while (Wizard().CurrentStep < step) {
            const int before = Wizard().CurrentStep;
            Wizard().cmdNext_Click();
            if (Wizard().CurrentStep == before) return false;
        }
        return true;
    }
    // The texts of the messages shown, in order.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& question : ui_.Questions())
            if (question.kind == "message" || question.kind == "yesno") texts.push_back(question.file.title);
        return texts;
    }
    std::string Release(const std::string& name = {}) const {
        return Program() + "VexaWizardWebExpressProject" + kSep + "Release" + kSep + name;
    }
    std::string ReleaseActiveX(const std::string& name = {}) const {
        return Program() + "VexaWizardWebExpressProject" + kSep + "ReleaseActiveX" + kSep + name;
    }
    std::string ProjectFiles(const std::string& name = {}) const {
        return Program() + "VexaWizardWebExpressProject" + kSep + "ProjectFiles" + kSep + name;
    }
    // A control registered under a class identifier, as its registration would leave it.
    void Register(const std::string& path, const std::string& classId) {
        registry_.WriteString(RegistryRoot::ClassesRoot, {"CLSID", classId, "InprocServer32"}, "", path);
        registry_.CreateKey(RegistryRoot::ClassesRoot, {"CLSID", classId, "Control"});
    }
    static std::vector<std::string> Files(const std::string& directory) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(directory, error)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    vexa::testing::TempDir dir_;
    const fs::path root_ = dir_.path();
    NativePlatform native_;
    FakeClock clock_;
    FakeWindows windows_{clock_, std::chrono::seconds(60)};
    FakeUi ui_;
    FakeComponents components_;
    FakeShell shell_;
    FakeRegistry registry_;
    FakeInternet internet_;
    FakeTrust trust_;
    FakeProcesses processes_;
    Platform platform_{native_.Get().files, clock_, windows_, ui_,     components_,
                       shell_,              registry_, internet_, trust_, processes_};
    std::unique_ptr<VexaWebExpress> wizard_;
};

}  // namespace vexa::wizard::test
