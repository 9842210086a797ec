#include "sfxstub/win32/main_dialog.hpp"

#include "sfxstub/stub_texts.hpp"
#include "sfxstub/win32/stub_resources.hpp"

namespace vexa::sfx {
namespace {

// Posted by the expansion thread as its last act.
constexpr UINT kEndNotice = kStatusNotice + 1;
// How long a closing program waits for a running expansion to stop.
constexpr DWORD kClosingPatience = 500;

INT_PTR CALLBACK AboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) return FALSE;
    ::EndDialog(window, 0);
    return TRUE;
}

}  // namespace

void MainDialog::Run() {
    RunModal(instance_, IDD_STUB, nullptr);
    // An expansion that did not stop in time would outlive the session it works on.
    if (worker_.Running()) ::ExitProcess(0);
}

void MainDialog::Open() {
    ui_.Attach(Window());
    ui_.ShowFiles(session_.Caption(), session_.Entries());
}

INT_PTR MainDialog::Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Open();
        return TRUE;
    case WM_COMMAND:
        return Command(LOWORD(wParam));
    case WM_CLOSE:  // the close box and the system menu's Close
        Close();
        return true;
    case kStatusNotice:
        ui_.ShowPostedStatus();
        return true;
    case kEndNotice:
        EndExpansion();
        return true;
    default:
        return false;
    }
}

bool MainDialog::Command(int id) {
    switch (id) {
    case IDC_EXPAND:
        StartExpansion();
        return true;
    case IDC_STOP:
        session_.Flags().cancel = true;
        return true;
    case IDC_ABOUT:
        ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), Window(), AboutProcedure, 0);
        return true;
    case IDC_EXIT:
        Close();
        return true;
    default:
        return false;
    }
}

void MainDialog::StartExpansion() {
    auto folder = ui_.ChooseFolder();
    if (!folder) return;
    ShowIdle(false);
    if (!session_.PrepareExpansion()) {
        Close();
        return;
    }
    folder_ = *folder;
    if (!worker_.Start([this] { result_ = session_.ExpandInto(folder_); }, Window(), kEndNotice)) {
        result_ = {ExpansionOutcome::Failed, false, false};
        ::PostMessageA(Window(), kEndNotice, 0, 0);
    }
}

void MainDialog::EndExpansion() {
    worker_.Join();
    ::SetDlgItemTextA(Window(), IDC_STATUS, "");
    session_.AnnounceEnd(result_);
    ShowIdle(true);
    ::SetDlgItemTextA(Window(), IDC_STATUS, kListStatus);
}

void MainDialog::Close() {
    session_.RemoveTemporaryCabinet();
    if (worker_.Running()) {
        session_.Flags().closing = true;
        session_.Flags().cancel = true;
        worker_.Join(kClosingPatience);
    }
    ::EndDialog(Window(), 0);
}

void MainDialog::ShowIdle(bool idle) {
    ::EnableWindow(Item(IDC_EXPAND), idle);
    ::EnableWindow(Item(IDC_ABOUT), idle);
    ::EnableWindow(Item(IDC_STOP), !idle);
    ::ShowWindow(Item(IDC_FILES), idle ? SW_SHOW : SW_HIDE);
    // A disabled button loses the focus: the keyboard goes on with the button now enabled.
    HWND next = Item(idle ? IDC_EXPAND : IDC_STOP);
    ::SendMessageA(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

}  // namespace vexa::sfx
