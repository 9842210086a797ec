#pragma once
// Every port but the files as a fake, for tests that work on real files in a folder of
// their own: the machine is these fakes on the test's files.

#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_components.hpp"
#include "platform/fake/fake_internet.hpp"
#include "platform/fake/fake_processes.hpp"
#include "platform/fake/fake_registry.hpp"
#include "platform/fake/fake_shell.hpp"
#include "platform/fake/fake_trust.hpp"
#include "platform/fake/fake_ui.hpp"
#include "platform/fake/fake_windows.hpp"
#include "platform/platform.hpp"

namespace vexa::testing {

struct FakePorts {
    FakeClock clock;
    FakeWindows windows{clock};
    FakeUi ui;
    FakeComponents components;
    FakeShell shell;
    FakeRegistry registry;
    FakeInternet internet;
    FakeTrust trust;
    FakeProcesses processes;

    Platform On(Files& files) { return On(files, shell); }
    Platform On(Files& files, Shell& withShell) {
        return {files, clock, windows, ui, components, withShell, registry, internet, trust, processes};
    }
};

}  // namespace vexa::testing
