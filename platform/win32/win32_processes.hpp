#pragma once
// Programs started by the system, and their top-level windows. A process handle is the
// system's handle of the process, held until Release.

#include "platform/processes.hpp"

namespace vexa {

class Win32Processes final : public Processes {
public:
    std::optional<StartedProcess> Start(const std::string& program, const std::string& arguments,
                                        const std::string& workingDirectory, WindowShow show) override;
    bool IsActive(ProcessHandle process) override;
    bool WaitForExit(ProcessHandle process, std::uint32_t milliseconds) override;
    void Terminate(ProcessHandle process) override;
    void WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) override;
    void Release(ProcessHandle process) override;
    std::string ShortPath(const std::string& path) override;

    std::vector<TopLevelWindow> ThreadWindows(std::uint32_t thread) override;
    bool IsWindow(WindowHandle window) override;
    bool IsVisible(WindowHandle window) override;
    bool IsMinimised(WindowHandle window) override;
    void Restore(WindowHandle window) override;
    bool SetParent(WindowHandle child, WindowHandle parent) override;
    void Place(WindowHandle window, const Rect& rect) override;
    void PostClose(WindowHandle window) override;
    void DestroyWindow(WindowHandle window) override;
    WindowHandle ForegroundWindow() override;
    void SetForegroundWindow(WindowHandle window) override;
    void MakeTopmost(WindowHandle window) override;
    void RaiseWithoutActivating(WindowHandle window) override;
};

}  // namespace vexa
