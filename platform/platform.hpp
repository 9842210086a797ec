#pragma once
// The bundle of ports through which the core reaches the machine. Hosts build one
// from the native adapters; tests build one from fakes.

#include "platform/files.hpp"

namespace vexa {

struct Platform {
    Files& files;
};

}  // namespace vexa
