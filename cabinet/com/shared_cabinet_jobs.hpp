#pragma once
// The cabinet jobs of the library's process and the platform their worker runs on: made
// with the first control, shared by every control on any thread (so one job runs in the
// process at a time), and gone with the last one, which cancels a job still running and
// waits for its worker before the library can unload.

#include <memory>

#include "cabinet/cabinet_jobs.hpp"
#include "platform/native.hpp"

namespace vexa {

struct SharedCabinetJobs {
    // The Windows adapters keep no state, so controls on any thread share them.
    NativePlatform platform;
    // Made after the platform and gone before it: its worker uses the platform's ports.
    CabinetJobs jobs;
};

std::shared_ptr<SharedCabinetJobs> HoldCabinetJobs();

}  // namespace vexa
