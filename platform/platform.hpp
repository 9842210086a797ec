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

}  // namespace vexa
