// A program directory whose project holds arbitrary settings files, taken through every
// step and Finish: the settings may name anything, but the build writes only its release.

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

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
#include "wizard/vexa_web_express.hpp"

namespace {

namespace fs = std::filesystem;
using namespace vexa;

const char* const kSettings[] = {"ProgramFiles.txt",     "ExeFilename.txt",       "OcxFiles.txt",
                                 "DllFiles.txt",         "ActiveXUrl.txt",        "HtmlFilenameNoPath.txt",
                                 "HtmlTitle.txt",        "CreateMultiProgramCabs.txt", "SignCodeCommands.txt",
                                 "StandAloneExeFilenameNoPath.txt", "WebSiteURL.txt", "PublicationURL.txt",
                                 "ExeParas.txt"};

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

const fs::path& Root() {
    static const fs::path root = [] {
        fs::path folder = fs::temp_directory_path() / ("vexa-wizard-fuzz-" + std::to_string(::getpid()));
        Write(folder / "app" / "VexaLoad.ocx", "MZ");
        Write(folder / "app" / "VexaLoad.cab", "MSCF");
        Write(folder / "app" / "VexaStandAloneWebProg.exe", "MZ");
        Write(folder / "app" / "HtmlTemplates" / "Template01.htm", "VEXA_SCRIPT_FILENAME VEXA_HTML_TITLE");
        Write(folder / "prog" / "a.exe", "MZ program");
        Write(folder / "prog" / "sub" / "b.txt", "data");
        fs::create_directories(folder / "windows");
        return folder;
    }();
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const fs::path project = Root() / "prog" / "VexaWizardWebExpressProject";
    fs::remove_all(project);
    for (const char* name : kSettings) Write(project / "ProjectFiles" / name, input.ConsumeRandomLengthString(200));

    static NativePlatform native;
    FakeClock clock;
    FakeWindows windows(clock, std::chrono::seconds(10));
    FakeUi ui;
    FakeComponents components;
    FakeShell shell;
    shell.SetFolder(SpecialFolder::Windows, (Root() / "windows").string());
    FakeRegistry registry;
    FakeInternet internet;
    FakeTrust trust;
    FakeProcesses processes;
    Platform platform{native.Get().files, clock, windows, ui, components, shell, registry, internet, trust, processes};
    wizard::VexaWebExpress wizard(platform, (Root() / "app").string(), {1, 0, 0});
    wizard.onIdle = [&processes] {
        if (processes.IsActive(processes.LastProcess())) processes.Exit(processes.LastProcess());
    };
    if (!wizard.Start()) __builtin_trap();
    wizard.cmdNext_Click();
    ui.Answer((Root() / "prog").string() + "/");
    wizard.cmdSelectDirectory_Click();
    for (int step = 1; step < wizard::kFinalStep; ++step) {
        wizard.cmdNext_Click();
        if (wizard.CurrentStep != step + 1) return 0;
    }
    if (!wizard.cmdFinish_Click()) return 0;
    // The page, the only file named by the settings, stays in the release directory.
    if (fs::path(wizard.HtmlFilePath).parent_path() != fs::path(wizard.ReleaseDir).parent_path()) __builtin_trap();
    return 0;
}
