#pragma once
// The small window an in-place active control shows in its page: a framed caption that
// paints itself and reports a click.

#include <windows.h>

#include <functional>
#include <string>

namespace vexa::com {

// The control's picture: a sunken frame on the button face with the caption centred.
void PaintControl(HDC dc, const RECT& area, const std::string& caption);

class ControlWindow {
public:
    ControlWindow(HWND parent, const RECT& place, std::string caption, std::function<void()> clicked);
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    // Null if the system refused the window.
    HWND Handle() const { return window_; }
    void Move(const RECT& place);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    std::string caption_;
    std::function<void()> clicked_;
    HWND window_ = nullptr;
};

}  // namespace vexa::com
