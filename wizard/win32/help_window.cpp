#include "wizard/win32/help_window.hpp"

#include "wizard/win32/window_look.hpp"

namespace vexa::wizard {

HelpWindow::~HelpWindow() {
    if (heading_) ::DeleteObject(heading_);
}

INT_PTR HelpWindow::Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowTextA(Window(), help_.caption);
            heading_ = MakeHeadingFont(Window());
            ::SendMessageA(Item(IDC_HELP_HEADING), WM_SETFONT, reinterpret_cast<WPARAM>(heading_), FALSE);
            SetItemText(IDC_HELP_HEADING, help_.heading);
            SetItemText(IDC_HELP_TEXT, help_.text);
            SetItemText(IDC_HELP_SAMPLE_LABEL, help_.sampleLabel);
            SetItemText(IDC_HELP_SAMPLE, help_.sample);
            const bool sample = *help_.sample != '\0';
            ::ShowWindow(Item(IDC_HELP_SAMPLE_LABEL), sample ? SW_SHOW : SW_HIDE);
            ::ShowWindow(Item(IDC_HELP_SAMPLE), sample ? SW_SHOW : SW_HIDE);
            ::SetFocus(Item(IDOK));  // not the sample, which would show selected
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
            ::EndDialog(Window(), 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace vexa::wizard
