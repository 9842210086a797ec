#include "tests/support/started_program.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include <thread>

namespace vexa::testing {

#ifdef _WIN32
StartedProgram::StartedProgram(const std::vector<std::string>& arguments) {
    std::string commandLine;
    for (const std::string& argument : arguments) commandLine += "\"" + argument + "\" ";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    started_ = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &process) != 0;
    if (!started_) return;
    ::CloseHandle(process.hThread);
    process_ = reinterpret_cast<std::uintptr_t>(process.hProcess);
}

bool StartedProgram::Ended() {
    HANDLE process = reinterpret_cast<HANDLE>(process_);
    if (!ended_ && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
        ::CloseHandle(process);
        ended_ = true;
    }
    return ended_;
}

void StartedProgram::Kill() {
    if (started_ && !Ended()) ::TerminateProcess(reinterpret_cast<HANDLE>(process_), 99);
    WaitForExit(std::chrono::seconds(10));
}
#else
StartedProgram::StartedProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    started_ = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
    process_ = static_cast<std::uintptr_t>(pid);
}

bool StartedProgram::Ended() {
    pid_t pid = static_cast<pid_t>(process_);
    if (!ended_ && ::waitpid(pid, nullptr, WNOHANG) == pid) ended_ = true;
    return ended_;
}

void StartedProgram::Kill() {
    if (started_ && !Ended()) ::kill(static_cast<pid_t>(process_), SIGKILL);
    WaitForExit(std::chrono::seconds(10));
}
#endif

bool StartedProgram::WaitForExit(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (started_ && !Ended()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace vexa::testing
