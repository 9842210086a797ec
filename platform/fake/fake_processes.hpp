#pragma once
// Programs that start only on paper. A test says which programs fail to start and which
// windows a started program shows; starts, closes and window moves are recorded, and a
// test ends a process when it likes.

#include <map>
#include <set>
#include <vector>

#include "platform/processes.hpp"

namespace vexa {

class FakeProcesses final : public Processes {
public:
    struct StartCall {
        std::string program;
        std::string arguments;
        std::string workingDirectory;
        WindowShow show = WindowShow::Normal;
    };
    struct FakeWindow {
        std::uint32_t thread = 0;
        TopLevelWindow info;
        WindowHandle parent = 0;
        bool minimised = false;
        bool topmost = false;
        std::vector<Rect> placements;
    };

    void FailToStart(std::string program) { failing_.insert(std::move(program)); }
    void FailEveryStart() { failAll_ = true; }
    // Every start of `program` shows these windows (handles are made fresh per start).
    void ShowWindows(std::string program, std::vector<TopLevelWindow> windows) {
        windowsOf_[std::move(program)] = std::move(windows);
    }
    // Whether a close request ends the program (the default) or it has to be terminated.
    void IgnoreClose(bool ignore) { ignoreClose_ = ignore; }
    void Exit(ProcessHandle process) { processes_.at(process).active = false; }

    const std::vector<StartCall>& Starts() const { return starts_; }
    FakeWindow& Window(WindowHandle window) { return windows_.at(window); }
    const std::vector<WindowHandle>& ClosesPosted() const { return closes_; }
    std::size_t Terminated() const { return terminated_; }
    // The windows raised without activation, and the foreground window set.
    const std::vector<WindowHandle>& Raised() const { return raised_; }
    void SetForeground(WindowHandle window) { foreground_ = window; }
    WindowHandle LastProcessWindow() const { return lastWindow_; }
    ProcessHandle LastProcess() const { return lastProcess_; }

    std::optional<StartedProcess> Start(const std::string& program, const std::string& arguments,
                                        const std::string& workingDirectory, WindowShow show) override;
    bool IsActive(ProcessHandle process) override;
    bool WaitForExit(ProcessHandle process, std::uint32_t milliseconds) override;
    void Terminate(ProcessHandle process) override;
    void WaitForInputIdle(ProcessHandle, std::uint32_t) override {}
    void Release(ProcessHandle process) override { processes_.erase(process); }
    std::string ShortPath(const std::string& path) override { return path; }

    std::vector<TopLevelWindow> ThreadWindows(std::uint32_t thread) override;
    bool IsWindow(WindowHandle window) override { return windows_.count(window) != 0; }
    bool IsVisible(WindowHandle window) override;
    bool IsMinimised(WindowHandle window) override;
    void Restore(WindowHandle window) override;
    bool SetParent(WindowHandle child, WindowHandle parent) override;
    void Place(WindowHandle window, const Rect& rect) override;
    void PostClose(WindowHandle window) override;
    void DestroyWindow(WindowHandle window) override { windows_.erase(window); }
    WindowHandle ForegroundWindow() override { return foreground_; }
    void SetForegroundWindow(WindowHandle window) override { foreground_ = window; }
    void MakeTopmost(WindowHandle window) override;
    void RaiseWithoutActivating(WindowHandle window) override { raised_.push_back(window); }

private:
    struct Process {
        std::uint32_t thread;
        bool active = true;
    };

    std::set<std::string> failing_;
    std::map<std::string, std::vector<TopLevelWindow>> windowsOf_;
    bool ignoreClose_ = false;
    bool failAll_ = false;
    std::vector<StartCall> starts_;
    std::map<ProcessHandle, Process> processes_;
    std::map<WindowHandle, FakeWindow> windows_;
    std::vector<WindowHandle> closes_;
    std::size_t terminated_ = 0;
    std::vector<WindowHandle> raised_;
    WindowHandle foreground_ = 0;
    ProcessHandle lastProcess_ = 0;
    WindowHandle lastWindow_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t windowCount_ = 0;
};

}  // namespace vexa
