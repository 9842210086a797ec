#pragma once
// One expansion of the temporary cabinet into a folder the user chose: folders are made
// along every name, marked list entries are skipped, the user is asked before an existing
// file is replaced, and every file gets its stored time and attributes.

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.hpp"
#include "sfxstub/stub_ui.hpp"

namespace vexa::sfx {

// Shared with the thread that runs the window, which may set them at any time, also
// before an expansion's own thread has begun: an expansion clears `cancel` only as it ends.
struct ExpansionFlags {
    std::atomic<bool> cancel{false};   // the expansion stops at its next read
    std::atomic<bool> closing{false};  // the program is closing: the end goes unannounced
    // A closing program expands nothing more.
    bool Stopped() const { return cancel || closing; }
};

enum class ExpansionOutcome { Cancelled, Failed, Done };

struct ExpansionResult {
    ExpansionOutcome outcome = ExpansionOutcome::Done;
    bool created = false;  // at least one file was created
    bool closing = false;
};

struct EndMessage {
    std::string text;
    std::string caption;
};

// The message that reports an expansion's end; none when the program is closing.
std::optional<EndMessage> EndMessageOf(const ExpansionResult& result);

// Expands `cabinetPath` into `folder`. `entries` are the list's entries in cabinet order:
// an entry beginning with "*" marks its file to be skipped.
ExpansionResult ExpandCabinet(Files& files, StubUi& ui, const std::string& cabinetPath,
                              const std::filesystem::path& folder, const std::vector<std::string>& entries,
                              ExpansionFlags& flags);

}  // namespace vexa::sfx
