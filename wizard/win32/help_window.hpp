#pragma once
// A small help window: a heading, the explanation and, for a command to copy, a sample.

#include <windows.h>

#include "platform/win32/dialogs/dialog_window.hpp"
#include "wizard/help_texts.hpp"
#include "wizard/win32/wizard_resources.hpp"

namespace vexa::wizard {

class HelpWindow final : private dialogs::DialogWindow {
public:
    HelpWindow(HINSTANCE instance, const help::Window& help) : instance_(instance), help_(help) {}
    ~HelpWindow() override;
    // Shows the window modally until OK or its close box.
    void Run(HWND owner) { RunModal(instance_, IDD_HELP, owner); }

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    HINSTANCE instance_;
    const help::Window& help_;
    HFONT heading_ = nullptr;
};

}  // namespace vexa::wizard
