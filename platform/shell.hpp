#pragma once
// The desktop shell: opening a program, document or address as a double click would, and
// the folders the system keeps for its own purposes.

#include <string>

#include "common/shell_link.hpp"

namespace vexa {

// Programs and Startup are the current user's Start-menu folders.
enum class SpecialFolder { Windows, System, Temp, ProgramFiles, Programs, Startup };

class Shell {
public:
    virtual ~Shell() = default;
    // Opens `target` in a normal window without waiting for it; true when it was started.
    virtual bool Open(const std::string& target) = 0;
    // The folder's native path, without a trailing separator; empty if the system has none.
    virtual std::string FolderPath(SpecialFolder folder) = 0;
    // Writes `link` into the file `linkPath` (replacing it). False on failure.
    virtual bool CreateShellLink(const ShellLink& link, const std::string& linkPath) = 0;
};

}  // namespace vexa
