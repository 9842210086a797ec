#pragma once
// Programs started by the core, and their top-level windows: the loader starts a web page
// program, waits until it is ready, finds its main window by title and keeps it placed
// inside the page.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_windows.hpp"

namespace vexa {

// 0 is no process. The handle stays valid until Release, also after the process ended.
using ProcessHandle = std::uintptr_t;

struct StartedProcess {
    ProcessHandle process = 0;
    std::uint32_t thread = 0;  // the primary thread, whose windows are the program's
};

// How a started program's main window first appears.
enum class WindowShow { Normal, Hidden };

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct TopLevelWindow {
    WindowHandle window = 0;
    bool visible = false;
    Rect rect;            // in screen coordinates
    std::string caption;  // up to 300 characters
};

class Processes {
public:
    virtual ~Processes() = default;
    // Starts `program` (a native path) with `arguments`, one text split by the Windows
    // command-line rules, in `workingDirectory` (empty: the caller's), its window shown as
    // `show` asks. Nullopt when it cannot be started.
    virtual std::optional<StartedProcess> Start(const std::string& program, const std::string& arguments,
                                                const std::string& workingDirectory,
                                                WindowShow show) = 0;
    // Still running (its exit code still says "active").
    virtual bool IsActive(ProcessHandle process) = 0;
    // True when the process has ended within `milliseconds`.
    virtual bool WaitForExit(ProcessHandle process, std::uint32_t milliseconds) = 0;
    virtual void Terminate(ProcessHandle process) = 0;
    // Until the program waits for input, or `milliseconds` have passed.
    virtual void WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) = 0;
    virtual void Release(ProcessHandle process) = 0;
    // The system's short (8.3) form of an existing path; the path itself where there is none.
    virtual std::string ShortPath(const std::string& path) = 0;

    // The top-level windows of a thread, in system order. Empty where there is no window
    // system.
    virtual std::vector<TopLevelWindow> ThreadWindows(std::uint32_t thread) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual bool IsVisible(WindowHandle window) = 0;
    virtual bool IsMinimised(WindowHandle window) = 0;
    virtual void Restore(WindowHandle window) = 0;
    virtual bool SetParent(WindowHandle child, WindowHandle parent) = 0;
    // Moves and sizes without changing the Z order and without activating; `rect` is in
    // the coordinates of the window's parent.
    virtual void Place(WindowHandle window, const Rect& rect) = 0;
    virtual void PostClose(WindowHandle window) = 0;
    virtual void DestroyWindow(WindowHandle window) = 0;
    virtual WindowHandle ForegroundWindow() = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;
    // Topmost without moving, sizing or activating.
    virtual void MakeTopmost(WindowHandle window) = 0;
    // To the top of the Z order without activating: made topmost, then not topmost.
    virtual void RaiseWithoutActivating(WindowHandle window) = 0;
};

}  // namespace vexa
