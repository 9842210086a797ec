#pragma once
// A machine for loader tests: fakes for everything but the files, which are real and live
// in a temporary folder (the Windows and system directories are in there). A release is
// served by the fake internet, and the control's events are recorded.

#include <filesystem>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "common/dispatch.hpp"
#include "signature/signature.hpp"
#include "loader/control_site.hpp"
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
#include "tests/support/forwarding_files.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::loader::test {

namespace fs = std::filesystem;

inline const std::string kPage = "http://pages.test/hello/";

// The header lines the loader demands, then `body`.
inline std::string ScriptText(const std::string& body) {
    return std::string(49, '\'') +
           "\r\n' File Name: Script.txt\r\n'\r\n' This file was generated automatically with the \r\n"
           "' Brindell Quillforge.\r\n' Created: 20261209101500\r\n" +
           std::string(49, '\'') + "\r\n\r\nSetProductDirectory \"<TempDir>\\Hello\"\r\n" + body;
}

class NoSite final : public ControlSite {
public:
    WindowHandle EmbeddingParent() override { return parent; }
    Rect ControlRect() override { return {10, 20, 51, 59}; }
    WindowHandle BrowserWindow() override { return 0; }
    bool HasBorder() override { return false; }
    void Repaint() override {}
    WindowHandle parent = 0;
};

class EventLog final : public EventSink {
public:
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override {
        std::string line(event.name);
        for (const Value& argument : arguments) line += " " + FormatValue(argument);
        lines.push_back(line);
        if (onEvent) onEvent(event);
    }
    std::size_t Count(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }
    std::vector<std::string> lines;
    std::function<void(const EventEntry&)> onEvent;
};

// The real files, except that a test may set the free space of every drive and slow down
// the checks of kept program cabinets, which run on threads of their own.
class MachineFiles final : public vexa::testing::ForwardingFiles {
public:
    using ForwardingFiles::ForwardingFiles;

    std::optional<DriveSpace> space;
    std::chrono::milliseconds keptCheckDelay{0};

    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override {
        if (std::this_thread::get_id() != owner_ && path.find("Downloaded Programs") != std::string::npos)
            std::this_thread::sleep_for(keptCheckDelay);
        return real_.OpenShared(path);
    }
    std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) override {
        return space ? space : real_.SpaceOfDrive(folder);
    }

private:
    const std::thread::id owner_ = std::this_thread::get_id();
};

class LoaderMachine {
public:
    LoaderMachine() {
        fs::create_directories(WindowsDirectory());
        fs::create_directories(SystemDirectory());
        shell.SetFolder(SpecialFolder::Windows, WindowsDirectory());
        shell.SetFolder(SpecialFolder::System, SystemDirectory());
        components.SetDefaultDestination(SystemDirectory());
    }

    std::string WindowsDirectory() const { return (root.path() / "windows").string(); }
    std::string SystemDirectory() const { return (root.path() / "windows" / "system").string(); }

    // Serves `bytes` at the page's address + `name` and returns its long signature.
    std::string Serve(const std::string& name, const std::string& bytes) {
        internet.Script(kPage + name, bytes);
        fs::path copy = root.path() / ("served-" + std::to_string(++served_));
        std::ofstream(copy, std::ios::binary) << bytes;
        return GenerateFileSignature(native.Get().files, copy.string());
    }
    void ServeScript(const std::string& body) {
        Serve("Script.Cab", vexa::test::CabinetOf({{"Script.txt", ScriptText(body)}}));
    }
    // Runs the control's messages and timers until `done`. The fake loop would jump its clock
    // from timer to timer without waiting for the download workers, so it runs one timer
    // tick at a time and gives the workers real time in between.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds patience = std::chrono::seconds(20)) {
        const auto limit = std::chrono::steady_clock::now() + patience;
        while (!done() && std::chrono::steady_clock::now() < limit) {
            windows.RunUntil(done, 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }
    std::size_t Fetches(const std::string& name) const {
        std::size_t count = 0;
        for (const auto& opened : internet.Opened()) count += opened.url == kPage + name;
        return count;
    }

    vexa::testing::TempDir root;
    NativePlatform native;
    MachineFiles files{native.Get().files};
    FakeClock clock{10'000};
    // Download workers post from real threads: wait for them when nothing else is due.
    FakeWindows windows{clock, std::chrono::milliseconds(2000)};
    FakeUi ui;
    FakeComponents components;
    FakeShell shell;
    FakeRegistry registry;
    FakeInternet internet;
    FakeTrust trust;
    FakeProcesses processes;
    Platform platform{files, clock, windows, ui, components, shell, registry, internet, trust, processes};
    NoSite site;
    EventLog events;

private:
    int served_ = 0;
};

}  // namespace vexa::loader::test
