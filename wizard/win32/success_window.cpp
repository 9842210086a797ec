#include "wizard/win32/success_window.hpp"

#include "platform/win32/win32_ui.hpp"
#include "wizard/win32/print_page.hpp"
#include "wizard/win32/window_look.hpp"
#include "wizard/win32/wizard_resources.hpp"

namespace vexa::wizard {
namespace {

constexpr const char* kPrintTip = "Print this page for future reference...";
constexpr const char* kPrintCaption = "Print this page";
constexpr const char* kNoPrinter = "This page cannot be printed: no default printer is installed.";
constexpr const char* kPrintFailed = "This page could not be printed on the default printer.";

}  // namespace

SuccessWindow::~SuccessWindow() {
    if (heading_) ::DeleteObject(heading_);
}

void SuccessWindow::Run(HWND owner) { RunModal(instance_, IDD_SUCCESS, owner); }

INT_PTR SuccessWindow::Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            Open();
            return FALSE;  // Open gave the focus
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_PRINT:
                    Print();
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    ::EndDialog(Window(), 0);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void SuccessWindow::Open() {
    heading_ = MakeHeadingFont(Window());
    ::SendMessageA(Item(IDC_SUCCESS_HEADING), WM_SETFONT, reinterpret_cast<WPARAM>(heading_), FALSE);
    SetItemText(IDC_FINAL_MESSAGE, finalMessage_);
    AddToolTip(Window(), Item(IDC_PRINT), kPrintTip);
    ::SetFocus(Item(IDOK));  // not the text, which would show selected
}

// The messages are this window's, so that it stays the one waited for.
void SuccessWindow::Print() {
    HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    const PrintOutcome outcome = PrintOnDefaultPrinter(Window(), "VexaWeb Express Wizard", finalMessage_);
    ::SetCursor(previous);
    Win32Ui ui(reinterpret_cast<std::intptr_t>(Window()));
    if (outcome == PrintOutcome::NoPrinter) ui.ShowMessage(kNoPrinter, kPrintCaption, MessageIcon::Information);
    if (outcome == PrintOutcome::Failed) ui.ShowMessage(kPrintFailed, kPrintCaption, MessageIcon::Exclamation);
}

}  // namespace vexa::wizard
