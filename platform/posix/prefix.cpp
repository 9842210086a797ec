#include "platform/posix/prefix.hpp"

#include <cstdlib>
#include <system_error>

#include "common/text.hpp"
#include "platform/native.hpp"

namespace vexa {

PosixPrefix PosixPrefix::FromEnvironment() {
    if (const char* chosen = std::getenv("VEXA_PREFIX"); chosen != nullptr) {
        if (Trim(chosen).empty())
            throw MachineUnavailable("VEXA_PREFIX is set but empty: name the machine's folder, or unset it for "
                                     "~/.local/share/vexaweb");
        return PosixPrefix(chosen);
    }
    const char* home = std::getenv("HOME");
    std::filesystem::path base = (home != nullptr && *home != '\0') ? home : std::filesystem::temp_directory_path();
    return PosixPrefix(base / ".local" / "share" / "vexaweb");
}

// A folder that cannot be made shows up later, as the failure of whatever needs it.
PosixPrefix::PosixPrefix(std::filesystem::path root) : root_(std::move(root)) {
    std::error_code ignored;
    for (const auto& folder :
         {SystemDirectory(), TempDirectory(), ProgramFiles(), Startup(), InternetCache(), WindowStation()})
        std::filesystem::create_directories(folder, ignored);
}

}  // namespace vexa
