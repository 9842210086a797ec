#pragma once
// The emulated machine on POSIX systems: one folder that holds the Windows directory, the
// system directory, the temporary folder, Program Files, the Start-menu folders, the
// registry database, the Internet cache and the window station, as a Wine prefix holds a
// Windows machine.
// VEXA_PREFIX selects it; the default, when it is unset, is ~/.local/share/vexaweb.

#include <filesystem>

namespace vexa {

class PosixPrefix {
public:
    // The prefix named by the environment, with its folders created. A VEXA_PREFIX that is
    // set but empty or blank names no folder: that throws MachineUnavailable rather than
    // putting a machine in the current folder or the default one, which nobody asked for.
    static PosixPrefix FromEnvironment();
    explicit PosixPrefix(std::filesystem::path root);

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path WindowsDirectory() const { return root_ / "windows"; }
    std::filesystem::path SystemDirectory() const { return root_ / "windows" / "system32"; }
    std::filesystem::path TempDirectory() const { return root_ / "temp"; }
    std::filesystem::path ProgramFiles() const { return root_ / "Program Files"; }
    std::filesystem::path ProgramsMenu() const { return root_ / "Start Menu" / "Programs"; }
    std::filesystem::path Startup() const { return ProgramsMenu() / "Startup"; }
    std::filesystem::path RegistryDatabase() const { return root_ / "registry.sqlite3"; }
    std::filesystem::path InternetCache() const { return root_ / "Internet Cache"; }
    // Root certificates (PEM) the machine trusts beside the system's, when the file exists.
    std::filesystem::path TrustedRoots() const { return root_ / "trusted-roots.pem"; }
    // Window handles, registered messages, global atoms and the sockets of the processes
    // that own windows. Short, as a socket's path must be.
    std::filesystem::path WindowStation() const { return root_ / "winsta"; }

private:
    std::filesystem::path root_;
};

}  // namespace vexa
