#include "platform/posix/posix_shell.hpp"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

extern char** environ;

namespace vexa {
namespace {

// "http://...", "mailto:..."; a single letter before the colon would be a drive.
bool IsAddress(const std::string& target) {
    std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    return std::all_of(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(colon),
                       [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

}  // namespace

PosixShell::~PosixShell() { ReapFinished(); }

void PosixShell::ReapFinished() {
    std::erase_if(children_, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool PosixShell::Spawn(const std::string& program, const std::vector<std::string>& arguments, bool searchPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int failed = searchPath ? ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ)
                            : ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (failed != 0) return false;
    children_.push_back(pid);
    return true;
}

bool PosixShell::Open(const std::string& target) {
    ReapFinished();
    if (target.empty()) return false;
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISREG(st.st_mode) && ::access(target.c_str(), X_OK) == 0) return Spawn(target, {}, false);
    if (exists || IsAddress(target)) return Spawn("xdg-open", {target}, true);
    // A bare program name is looked for on the search path, as the shell does.
    return target.find('/') == std::string::npos && Spawn(target, {}, true);
}

std::string PosixShell::FolderPath(SpecialFolder folder) {
    switch (folder) {
    case SpecialFolder::Windows: return prefix_.WindowsDirectory().string();
    case SpecialFolder::System: return prefix_.SystemDirectory().string();
    case SpecialFolder::Temp: return prefix_.TempDirectory().string();
    case SpecialFolder::ProgramFiles: return prefix_.ProgramFiles().string();
    case SpecialFolder::Programs: return prefix_.ProgramsMenu().string();
    case SpecialFolder::Startup: return prefix_.Startup().string();
    }
    return {};
}

// The link file holds its bytes in the shell's own format, so a Windows desktop reading the
// folder later finds an ordinary link.
bool PosixShell::CreateShellLink(const ShellLink& link, const std::string& linkPath) {
    std::string bytes = ShellLinkBytes(link);
    if (bytes.empty()) return false;
    std::ofstream out(linkPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace vexa
