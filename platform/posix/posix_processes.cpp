#include "platform/posix/posix_processes.hpp"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/command_line.hpp"

extern char** environ;

namespace vexa {
namespace {

namespace fs = std::filesystem;

// How long a program may take to end after it was asked to.
constexpr std::uint32_t kTerminateGraceMs = 500;

// An image with the DOS header's mark.
bool IsWindowsProgram(const fs::path& program) {
    char mark[2] = {};
    std::ifstream(program, std::ios::binary).read(mark, sizeof mark);
    return mark[0] == 'M' && mark[1] == 'Z';
}

// Programs expanded from cabinets carry no execute permission.
void AllowOwnerToExecute(const fs::path& program) {
    std::error_code ignored;
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add, ignored);
}

// The child starts with no signal blocked and a broken pipe ending it, whatever the
// starting thread blocks or the host ignores. 0 when it cannot be started; a relative
// program path is made absolute by the caller, as the child changes folder first.
int Spawn(const std::vector<std::string>& argv, bool searchPath, const std::string& workingDirectory) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int failed = searchPath ? ::posix_spawnp(&pid, pointers[0], &actions, &attributes, pointers.data(), environ)
                            : ::posix_spawn(&pid, pointers[0], &actions, &attributes, pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : 0;
}

}  // namespace

PosixProcesses::~PosixProcesses() {
    for (auto& [pid, ended] : ended_) Running(pid);
    ReapReleased();
}

std::optional<StartedProcess> PosixProcesses::Start(const std::string& program, const std::string& arguments,
                                                    const std::string& workingDirectory, WindowShow) {
    std::error_code error;
    fs::path path = fs::absolute(program, error);
    if (error || !fs::is_regular_file(path, error)) return std::nullopt;
    AllowOwnerToExecute(path);
    std::vector<std::string> argv;
    bool throughWine = IsWindowsProgram(path);
    if (throughWine) argv.emplace_back("wine");
    argv.push_back(path.string());
    for (std::string& argument : SplitCommandLine(arguments)) argv.push_back(std::move(argument));
    int pid = Spawn(argv, throughWine, workingDirectory);
    if (pid == 0) return std::nullopt;
    std::lock_guard lock(mutex_);
    ReapReleased();
    ended_[pid] = false;
    return StartedProcess{static_cast<ProcessHandle>(pid), static_cast<std::uint32_t>(pid)};
}

bool PosixProcesses::Running(int pid) {
    bool& ended = ended_.at(pid);
    if (!ended) ended = ::waitpid(pid, nullptr, WNOHANG) != 0;
    return !ended;
}

void PosixProcesses::ReapReleased() {
    std::erase_if(released_, [](int pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool PosixProcesses::IsActive(ProcessHandle process) {
    std::lock_guard lock(mutex_);
    int pid = static_cast<int>(process);
    return ended_.contains(pid) && Running(pid);
}

bool PosixProcesses::WaitForExit(ProcessHandle process, std::uint32_t milliseconds) {
    using namespace std::chrono;
    auto end = steady_clock::now() + duration<std::uint32_t, std::milli>(milliseconds);
    while (IsActive(process)) {
        auto left = end - steady_clock::now();
        if (left <= left.zero()) return false;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(left, 10ms));
    }
    return true;
}

bool PosixProcesses::Signal(ProcessHandle process, int signal) {
    std::lock_guard lock(mutex_);
    int pid = static_cast<int>(process);
    return ended_.contains(pid) && Running(pid) && ::kill(pid, signal) == 0;
}

// Asked first, so that a program, and Wine with the Windows program it runs, can end
// cleanly and leave nothing behind; killed when it does not end within the grace.
void PosixProcesses::Terminate(ProcessHandle process) {
    if (!Signal(process, SIGTERM) || WaitForExit(process, kTerminateGraceMs)) return;
    if (Signal(process, SIGKILL)) WaitForExit(process, kTerminateGraceMs);
}

void PosixProcesses::Release(ProcessHandle process) {
    std::lock_guard lock(mutex_);
    int pid = static_cast<int>(process);
    if (ended_.contains(pid) && Running(pid)) released_.insert(pid);
    ended_.erase(pid);
    ReapReleased();
}

}  // namespace vexa
