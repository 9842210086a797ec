#include "apps/vexa/cabinet_host.hpp"

#include <iostream>

#include "apps/vexa/commands.hpp"
#include "sfxstub/stub_image.hpp"

namespace vexa::cli {
namespace {

constexpr std::uint32_t kLookAgain = 50;  // ms between looks at whether the job still runs

}  // namespace

CabinetHost::CabinetHost(Platform& platform, EventSink& events)
    : platform_(platform), control_(platform, jobs_, events, sfx::SelfExtractStub()) {}

// A job clears its flags after it posted its last message, and nothing wakes the loop
// then: it looks again now and then, and finally runs what the job left waiting.
void CabinetHost::RunUntilJobEnds() {
    CancelOnInterrupt cancels;
    while (jobs_.Running()) {
        if (CancelOnInterrupt::Requested()) {
            control_.CancelMakeCabFile();
            control_.CancelExpandCabFile();
        }
        platform_.windows.RunUntil([this] { return !jobs_.Running(); }, kLookAgain);
    }
    platform_.windows.RunUntil([] { return false; }, 0);
    if (CancelOnInterrupt::Requested()) std::cerr << "vexa: interrupted\n";
}

}  // namespace vexa::cli
