#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_windows.hpp"

namespace vexa {
namespace {

constexpr const char* kClassName = "VexaMessageWindow";

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

LRESULT CALLBACK MessageWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* handler = reinterpret_cast<WindowHandler*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (handler && message == WM_TIMER) {
        handler->OnTimer(static_cast<std::uint32_t>(wParam));
        return 0;
    }
    if (handler && message >= WM_USER) {
        handler->OnMessage(message, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// The module this code is linked into: an executable, or a control's library.
HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&MessageWindowProcedure), &module);
    return module;
}

// The class is registered when a window needs it, so that a port made after another
// one was destroyed (which unregistered it) still finds it.
bool RegisterWindowClass(HMODULE module) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExA(module, kClassName, &windowClass)) return true;
    windowClass.lpfnWndProc = MessageWindowProcedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExA(&windowClass) != 0;
}

}  // namespace

Win32Windows::Win32Windows() : module_(ThisModule()) {}

// A library must not leave a class behind that names its code once it is unloaded.
// While windows of the class live, unregistering fails and the class stays.
Win32Windows::~Win32Windows() { ::UnregisterClassA(kClassName, static_cast<HMODULE>(module_)); }

WindowHandle Win32Windows::Create(WindowHandler& handler) {
    if (!RegisterWindowClass(static_cast<HMODULE>(module_))) return 0;
    HWND hwnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  static_cast<HMODULE>(module_), &handler);
    return reinterpret_cast<WindowHandle>(hwnd);
}

void Win32Windows::Destroy(WindowHandle window) { ::DestroyWindow(ToHwnd(window)); }

bool Win32Windows::IsWindow(WindowHandle window) { return window != 0 && ::IsWindow(ToHwnd(window)); }

bool Win32Windows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::PostMessageA(ToHwnd(window), message, wParam, lParam) != 0;
}

bool Win32Windows::SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) {
    return ::SetTimer(ToHwnd(window), timerId, milliseconds, nullptr) != 0;
}

void Win32Windows::KillTimer(WindowHandle window, std::uint32_t timerId) { ::KillTimer(ToHwnd(window), timerId); }

// Waits in MsgWaitForMultipleObjects, so the thread sleeps until a message or the limit.
bool Win32Windows::RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done()) return true;
        MSG message;
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Left for the thread's outer loop, which owns the quit.
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
            continue;
        }
        // Messages sent from other threads run inside PeekMessageA, which then reports
        // nothing posted; their handlers may have made `done` hold.
        if (done()) return true;
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= limitMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, limitMs - elapsed, QS_ALLINPUT);
    }
}

std::uint32_t Win32Windows::RegisterMessage(const std::string& name) { return ::RegisterWindowMessageA(name.c_str()); }

std::uint16_t Win32Windows::AddAtom(const std::string& text) { return ::GlobalAddAtomA(text.c_str()); }

// Read whole and cut here, so that a bound of 0 still tells an atom from none.
std::optional<std::string> Win32Windows::AtomName(std::uint16_t atom, std::size_t maxLength) {
    char name[256];
    UINT length = ::GlobalGetAtomNameA(atom, name, sizeof name);
    if (length == 0) return std::nullopt;
    return std::string(name, std::min<std::size_t>(length, maxLength));
}

void Win32Windows::DeleteAtom(std::uint16_t atom) { ::GlobalDeleteAtom(atom); }

bool Win32Windows::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                        std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

}  // namespace vexa
