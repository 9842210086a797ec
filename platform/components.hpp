#pragma once
// Installed components: self-registering servers (controls and libraries), the version
// of a file, where a shared file belongs, replacing a file in use at the next restart,
// and the restart itself.

#include <string>

namespace vexa {

struct SharedFileLocation {
    std::string current;      // the directory that now holds the file; empty if none
    std::string destination;  // the directory where it belongs
};

class Components {
public:
    virtual ~Components() = default;
    // Loads the library, calls its "DllRegisterServer" (or "DllUnregisterServer") entry
    // point and unloads it. False if it cannot be loaded or lacks the entry point; what
    // the entry point returns is not examined.
    virtual bool RegisterServer(const std::string& library) = 0;
    virtual bool UnregisterServer(const std::string& library) = 0;

    // The "FileVersion" text of the file's version resource (the first translation, else
    // US English with the Windows ANSI code page); empty when it has none.
    virtual std::string FileVersion(const std::string& path) = 0;
    // Where a shared file named `fileName` is and where it should go, as the system's
    // version installer answers with `windowsDirectory` and `appDirectory`.
    virtual SharedFileLocation FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                              const std::string& appDirectory) = 0;
    // At the next restart: delete `target`, then rename `replacement` to it.
    virtual bool ReplaceAtRestart(const std::string& replacement, const std::string& target) = 0;
    // At the next restart: delete `target`, a file or an empty directory (a program removing
    // itself while it runs).
    virtual bool DeleteAtRestart(const std::string& target) = 0;
    // Logs off and restarts the machine (taking the shutdown privilege if it must).
    virtual bool Restart() = 0;
};

}  // namespace vexa
