#pragma once
// The messages that cabinet workers post to their control's window. Values that change
// while a job runs (totals, the current file, the expansion position) are not carried:
// the window reads them from the shared job state when it handles the message.

#include <cstdint>

#include "platform/message_windows.hpp"

namespace vexa {

enum CabMessage : std::uint32_t {
    kMakeProgressMessage = kUserMessage + 1,
    kMakeEndedMessage,  // wParam: the JobOutcome
    kExpandProgressMessage,
    kExpandOverwriteMessage,  // the existing file is the job's current file
    kExpandEndedMessage,      // wParam: the JobOutcome; lParam: the files extracted
};

enum class JobOutcome : std::uintptr_t { Done, Error, Cancel };

}  // namespace vexa
