#pragma once
// Programs started as child processes. A Windows program runs through Wine when Wine is on
// the search path. There is no window system: a process has no windows, and window steps
// answer "none" or do nothing. A process handle is the child's process id, which also
// stands for its thread.

#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/processes.hpp"

namespace vexa {

class PosixProcesses final : public Processes {
public:
    PosixProcesses() = default;
    // Children still running are left to run; the finished ones are reaped.
    ~PosixProcesses() override;
    PosixProcesses(const PosixProcesses&) = delete;
    PosixProcesses& operator=(const PosixProcesses&) = delete;

    std::optional<StartedProcess> Start(const std::string& program, const std::string& arguments,
                                        const std::string& workingDirectory, WindowShow show) override;
    bool IsActive(ProcessHandle process) override;
    bool WaitForExit(ProcessHandle process, std::uint32_t milliseconds) override;
    void Terminate(ProcessHandle process) override;
    void WaitForInputIdle(ProcessHandle, std::uint32_t) override {}
    void Release(ProcessHandle process) override;
    std::string ShortPath(const std::string& path) override { return path; }

    std::vector<TopLevelWindow> ThreadWindows(std::uint32_t) override { return {}; }
    bool IsWindow(WindowHandle) override { return false; }
    bool IsVisible(WindowHandle) override { return false; }
    bool IsMinimised(WindowHandle) override { return false; }
    void Restore(WindowHandle) override {}
    bool SetParent(WindowHandle, WindowHandle) override { return false; }
    void Place(WindowHandle, const Rect&) override {}
    void PostClose(WindowHandle) override {}
    void DestroyWindow(WindowHandle) override {}
    WindowHandle ForegroundWindow() override { return 0; }
    void SetForegroundWindow(WindowHandle) override {}
    void MakeTopmost(WindowHandle) override {}
    void RaiseWithoutActivating(WindowHandle) override {}

private:
    // Reaps the child if it has ended; true while it runs. Call with the lock held.
    bool Running(int pid);
    void ReapReleased();
    // Signals a child only while it is not reaped, so its process id cannot have been
    // reused. False when it has ended.
    bool Signal(ProcessHandle process, int signal);

    std::mutex mutex_;
    // The children started and not yet released; those reaped keep their end here, so the
    // handle stays valid until Release.
    std::map<int, bool> ended_;
    // Released while still running: reaped once they end.
    std::set<int> released_;
};

}  // namespace vexa
