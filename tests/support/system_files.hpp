#pragma once
// The system's file port for tests: it keeps no state, so one serves a whole test program.

#include "platform/native.hpp"

namespace vexa::testing {

inline Files& SystemFiles() {
    static const std::unique_ptr<Files> files = NativeFiles();
    return *files;
}

}  // namespace vexa::testing
