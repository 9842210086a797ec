#include "platform/win32/com/control_window.hpp"

namespace vexa::com {
namespace {

constexpr const char* kClassName = "VexaControlWindow";

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

ControlWindow::ControlWindow(HWND parent, const RECT& place, std::string caption, std::function<void()> clicked)
    : caption_(std::move(caption)), clicked_(std::move(clicked)) {
    HMODULE module = ThisModule();
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExA(module, kClassName, &windowClass)) {
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = module;
        windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExA(&windowClass);
    }
    window_ = ::CreateWindowExA(0, kClassName, caption_.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left,
                                place.top, place.right - place.left, place.bottom - place.top, parent, nullptr, module,
                                this);
}

// A library must not leave a class behind that names its code once it is unloaded; while
// other windows of the class live, unregistering fails and the class stays.
ControlWindow::~ControlWindow() {
    if (window_) ::DestroyWindow(window_);
    ::UnregisterClassA(kClassName, ThisModule());
}

void ControlWindow::Move(const RECT& place) {
    ::MoveWindow(window_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

LRESULT CALLBACK ControlWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ControlWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
        self->Paint();
        return 0;
    }
    if (self && message == WM_LBUTTONUP && self->clicked_) self->clicked_();
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void PaintControl(HDC dc, const RECT& area, const std::string& caption) {
    RECT inside = area;
    ::FillRect(dc, &inside, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT);
    int mode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, caption.c_str(), -1, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetBkMode(dc, mode);
}

void ControlWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    RECT area;
    ::GetClientRect(window_, &area);
    PaintControl(dc, area, caption_);
    ::EndPaint(window_, &paint);
}

}  // namespace vexa::com
