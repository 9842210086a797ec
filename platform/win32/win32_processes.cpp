#include <windows.h>

#include "platform/win32/win32_processes.hpp"

namespace vexa {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

constexpr UINT kKeepPlaceAndSize = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
constexpr int kCaptionLength = 300;

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    TopLevelWindow window;
    window.window = reinterpret_cast<WindowHandle>(hwnd);
    window.visible = ::IsWindowVisible(hwnd) != FALSE;
    RECT rect{};
    if (::GetWindowRect(hwnd, &rect)) window.rect = {rect.left, rect.top, rect.right, rect.bottom};
    char caption[kCaptionLength + 1] = {};
    window.caption.assign(caption, static_cast<std::size_t>(::GetWindowTextA(hwnd, caption, sizeof caption)));
    reinterpret_cast<std::vector<TopLevelWindow>*>(lParam)->push_back(std::move(window));
    return TRUE;
}

}  // namespace

// The program is named by its short path on the command line, as the loader has always
// started it; the image to run is given as well, so that a path whose short form does not
// exist (and so may hold blanks) still names exactly this file.
std::optional<StartedProcess> Win32Processes::Start(const std::string& program, const std::string& arguments,
                                                    const std::string& workingDirectory, WindowShow show) {
    std::string commandLine = ShortPath(program);
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show == WindowShow::Hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &started)) {
        return std::nullopt;
    }
    ::CloseHandle(started.hThread);
    return StartedProcess{reinterpret_cast<ProcessHandle>(started.hProcess), started.dwThreadId};
}

bool Win32Processes::IsActive(ProcessHandle process) {
    DWORD code = 0;
    return ::GetExitCodeProcess(ToHandle(process), &code) && code == STILL_ACTIVE;
}

bool Win32Processes::WaitForExit(ProcessHandle process, std::uint32_t milliseconds) {
    return ::WaitForSingleObject(ToHandle(process), milliseconds) == WAIT_OBJECT_0;
}

void Win32Processes::Terminate(ProcessHandle process) { ::TerminateProcess(ToHandle(process), 0); }

void Win32Processes::WaitForInputIdle(ProcessHandle process, std::uint32_t milliseconds) {
    ::WaitForInputIdle(ToHandle(process), milliseconds);
}

void Win32Processes::Release(ProcessHandle process) { ::CloseHandle(ToHandle(process)); }

std::string Win32Processes::ShortPath(const std::string& path) {
    DWORD length = ::GetShortPathNameA(path.c_str(), nullptr, 0);
    if (length == 0) return path;
    std::string shortPath(length, '\0');
    length = ::GetShortPathNameA(path.c_str(), shortPath.data(), length);
    if (length == 0 || length >= shortPath.size()) return path;
    shortPath.resize(length);
    return shortPath;
}

std::vector<TopLevelWindow> Win32Processes::ThreadWindows(std::uint32_t thread) {
    std::vector<TopLevelWindow> windows;
    ::EnumThreadWindows(thread, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool Win32Processes::IsWindow(WindowHandle window) { return ::IsWindow(ToHwnd(window)) != FALSE; }

bool Win32Processes::IsVisible(WindowHandle window) { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }

bool Win32Processes::IsMinimised(WindowHandle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

void Win32Processes::Restore(WindowHandle window) { ::ShowWindow(ToHwnd(window), SW_RESTORE); }

// The previous parent of a top-level window is the desktop, so a null answer alone is
// a failure only when the system says so.
bool Win32Processes::SetParent(WindowHandle child, WindowHandle parent) {
    ::SetLastError(ERROR_SUCCESS);
    return ::SetParent(ToHwnd(child), ToHwnd(parent)) != nullptr || ::GetLastError() == ERROR_SUCCESS;
}

void Win32Processes::Place(WindowHandle window, const Rect& rect) {
    ::SetWindowPos(ToHwnd(window), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Processes::PostClose(WindowHandle window) { ::PostMessageA(ToHwnd(window), WM_CLOSE, 0, 0); }

void Win32Processes::DestroyWindow(WindowHandle window) { ::DestroyWindow(ToHwnd(window)); }

WindowHandle Win32Processes::ForegroundWindow() { return reinterpret_cast<WindowHandle>(::GetForegroundWindow()); }

void Win32Processes::SetForegroundWindow(WindowHandle window) { ::SetForegroundWindow(ToHwnd(window)); }

void Win32Processes::MakeTopmost(WindowHandle window) {
    ::SetWindowPos(ToHwnd(window), HWND_TOPMOST, 0, 0, 0, 0, kKeepPlaceAndSize);
}

void Win32Processes::RaiseWithoutActivating(WindowHandle window) {
    MakeTopmost(window);
    ::SetWindowPos(ToHwnd(window), HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlaceAndSize);
}

}  // namespace vexa
