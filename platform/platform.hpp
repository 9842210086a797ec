#pragma once
// The bundle of ports through which the core reaches the machine. Hosts build one
// from the native adapters; tests build one from fakes.

#include "platform/clock.hpp"
#include "platform/components.hpp"
#include "platform/files.hpp"
#include "platform/internet.hpp"
#include "platform/message_windows.hpp"
#include "platform/processes.hpp"
#include "platform/registry.hpp"
#include "platform/shell.hpp"
#include "platform/trust.hpp"
#include "platform/ui.hpp"

namespace vexa {

struct Platform {
    Files& files;
    Clock& clock;
    Windows& windows;
    Ui& ui;
    Components& components;
    Shell& shell;
    Registry& registry;
    Internet& internet;
    Trust& trust;
    Processes& processes;
};

// The same machine, with another Ui: a host's own dialogs.
inline Platform WithUi(const Platform& platform, Ui& ui) {
    return {platform.files, platform.clock,    platform.windows,  ui,           platform.components,
            platform.shell, platform.registry, platform.internet, platform.trust, platform.processes};
}

}  // namespace vexa
