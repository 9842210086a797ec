#include "tests/interop/build_machine_command.hpp"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vexa::test {
namespace {

#ifdef _WIN32
// Windows splits the command line: inside quotes, \" is a quote and other backslashes are
// kept, and the commands here put no backslash before a quote.
void StartShell(const std::string& script) {
    std::string commandLine = "/bin/sh -c \"";
    for (char c : script) commandLine += c == '"' ? std::string("\\\"") : std::string(1, c);
    commandLine += '"';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &started)) {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}
#endif

}  // namespace

std::string BuildMachinePath(const std::filesystem::path& path) {
#ifdef _WIN32
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName != nullptr ? unixName(std::filesystem::absolute(path).wstring().c_str()) : nullptr;
    if (name == nullptr) return {};
    std::string result = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
#else
    return std::filesystem::absolute(path).string();
#endif
}

CommandOutcome RunOnBuildMachine(const std::string& step, const std::string& command, const ScratchFolder& scratch) {
    const auto log = scratch.Path() / (step + ".log");
    const auto status = scratch.Path() / (step + ".status");
    const std::string statusName = BuildMachinePath(status);
    const std::string script = "PATH=/usr/local/bin:/usr/bin:/bin; (" + command + ") >'" + BuildMachinePath(log) +
                               "' 2>&1; echo $? >'" + statusName + ".part'; mv '" + statusName + ".part' '" +
                               statusName + "'";
#ifdef _WIN32
    StartShell(script);
#else
    if (std::system(script.c_str()) == -1) return {};
#endif
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!std::filesystem::exists(status) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    CommandOutcome outcome;
    if (std::filesystem::exists(status)) outcome.status = std::stoi(ReadWholeFile(status));
    outcome.output = ReadWholeFile(log);
    return outcome;
}

}  // namespace vexa::test
