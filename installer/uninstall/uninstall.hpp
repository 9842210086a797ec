#pragma once
// The uninstall program's work, the same on every system: it reads the record appended to
// its own file, asks once, removes what the record lists and says what is left.

#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace vexa::installer {

struct UninstallResult {
    bool removed = false;  // the removal ran: there was a record and the user agreed
    // What is still there, in the order tried: first what will go at the next restart,
    // then what nothing will remove. The program's own file and the folders holding it,
    // which go at the restart as a matter of course where a running program cannot
    // delete itself, are not among them.
    std::vector<std::string> atRestart;
    std::vector<std::string> inPlace;
};

// `ownPath` is this program's file. Without `askFirst` it removes without asking.
UninstallResult Uninstall(Platform& platform, const std::string& ownPath, bool askFirst);

}  // namespace vexa::installer
