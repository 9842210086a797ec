#include "platform/fake/fake_processes.hpp"

namespace vexa {

std::optional<StartedProcess> FakeProcesses::Start(const std::string& program, const std::string& arguments,
                                                   const std::string& workingDirectory, WindowShow show) {
    starts_.push_back({program, arguments, workingDirectory, show});
    if (failAll_ || failing_.count(program) != 0) return std::nullopt;
    StartedProcess started{lastProcess_ = 1000 + ++count_, 2000 + count_};
    processes_[started.process] = {started.thread};
    for (TopLevelWindow info : windowsOf_[program]) {
        info.window = lastWindow_ = 3000 + ++windowCount_;
        windows_[info.window] = {started.thread, info, 0, false, false, {}};
    }
    return started;
}

bool FakeProcesses::IsActive(ProcessHandle process) {
    auto found = processes_.find(process);
    return found != processes_.end() && found->second.active;
}

bool FakeProcesses::WaitForExit(ProcessHandle process, std::uint32_t) { return !IsActive(process); }

void FakeProcesses::Terminate(ProcessHandle process) {
    if (!IsActive(process)) return;
    ++terminated_;
    Exit(process);
}

std::vector<TopLevelWindow> FakeProcesses::ThreadWindows(std::uint32_t thread) {
    std::vector<TopLevelWindow> found;
    for (const auto& [handle, window] : windows_)
        if (window.thread == thread && window.parent == 0) found.push_back(window.info);
    return found;
}

bool FakeProcesses::IsVisible(WindowHandle window) { return IsWindow(window) && windows_[window].info.visible; }

bool FakeProcesses::IsMinimised(WindowHandle window) { return IsWindow(window) && windows_[window].minimised; }

void FakeProcesses::Restore(WindowHandle window) {
    if (IsWindow(window)) windows_[window].minimised = false;
}

bool FakeProcesses::SetParent(WindowHandle child, WindowHandle parent) {
    if (!IsWindow(child)) return false;
    windows_[child].parent = parent;
    return true;
}

void FakeProcesses::Place(WindowHandle window, const Rect& rect) {
    if (IsWindow(window)) windows_[window].placements.push_back(rect);
}

// A close request ends the program that owns the window, unless the test said it ignores it.
void FakeProcesses::PostClose(WindowHandle window) {
    closes_.push_back(window);
    if (ignoreClose_ || !IsWindow(window)) return;
    for (auto& [handle, process] : processes_)
        if (process.thread == windows_[window].thread) process.active = false;
    windows_.erase(window);
}

void FakeProcesses::MakeTopmost(WindowHandle window) {
    if (IsWindow(window)) windows_[window].topmost = true;
}

}  // namespace vexa
