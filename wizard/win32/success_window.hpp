#pragma once
// The success window (frmSuccess): where the release is and how to publish it. "OK" closes
// it, and the program ends after it; "Print this page" prints its text.

#include <windows.h>

#include <string>

#include "platform/win32/dialogs/dialog_window.hpp"

namespace vexa::wizard {

class SuccessWindow final : private dialogs::DialogWindow {
public:
    SuccessWindow(HINSTANCE instance, std::string finalMessage)
        : instance_(instance), finalMessage_(std::move(finalMessage)) {}
    ~SuccessWindow() override;
    // Shows the window modally until it is closed.
    void Run(HWND owner);

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Open();
    void Print();

    HINSTANCE instance_;
    const std::string finalMessage_;
    HFONT heading_ = nullptr;
};

}  // namespace vexa::wizard
