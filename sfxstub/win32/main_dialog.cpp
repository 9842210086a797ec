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

MainDialog::~MainDialog() {
    if (worker_) ::CloseHandle(worker_);
}

void MainDialog::Run() {
    ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_STUB), nullptr, Procedure, reinterpret_cast<LPARAM>(this));
    // An expansion that did not stop in time would outlive the session it works on.
    if (Expanding()) ::ExitProcess(0);
}

INT_PTR CALLBACK MainDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<MainDialog*>(lParam)->Open(window);
        return TRUE;
    }
    auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    return self && self->Handle(message, wParam);
}

void MainDialog::Open(HWND window) {
    window_ = window;
    ui_.Attach(window);
    ui_.ShowFiles(session_.Caption(), session_.Entries());
}

bool MainDialog::Handle(UINT message, WPARAM wParam) {
    switch (message) {
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
        ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), window_, AboutProcedure, 0);
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
    worker_ = ::CreateThread(nullptr, 0, Expansion, this, 0, nullptr);
    if (!worker_) {
        result_ = {ExpansionOutcome::Failed, false, false};
        ::PostMessageA(window_, kEndNotice, 0, 0);
    }
}

DWORD WINAPI MainDialog::Expansion(void* context) {
    auto& self = *static_cast<MainDialog*>(context);
    self.result_ = self.session_.ExpandInto(self.folder_);
    ::PostMessageA(self.window_, kEndNotice, 0, 0);
    return 0;
}

void MainDialog::EndExpansion() {
    if (worker_) {
        ::WaitForSingleObject(worker_, INFINITE);  // it posted as its last act
        ::CloseHandle(worker_);
        worker_ = nullptr;
    }
    ::SetDlgItemTextA(window_, IDC_STATUS, "");
    session_.AnnounceEnd(result_);
    ShowIdle(true);
    ::SetDlgItemTextA(window_, IDC_STATUS, kListStatus);
}

void MainDialog::Close() {
    session_.RemoveTemporaryCabinet();
    if (Expanding()) {
        session_.Flags().closing = true;
        session_.Flags().cancel = true;
        ::WaitForSingleObject(worker_, kClosingPatience);
    }
    ::EndDialog(window_, 0);
}

void MainDialog::ShowIdle(bool idle) {
    ::EnableWindow(::GetDlgItem(window_, IDC_EXPAND), idle);
    ::EnableWindow(::GetDlgItem(window_, IDC_ABOUT), idle);
    ::EnableWindow(::GetDlgItem(window_, IDC_STOP), !idle);
    ::ShowWindow(::GetDlgItem(window_, IDC_FILES), idle ? SW_SHOW : SW_HIDE);
    // A disabled button loses the focus: the keyboard goes on with the button now enabled.
    HWND next = ::GetDlgItem(window_, idle ? IDC_EXPAND : IDC_STOP);
    ::SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

bool MainDialog::Expanding() const { return worker_ && ::WaitForSingleObject(worker_, 0) == WAIT_TIMEOUT; }

}  // namespace vexa::sfx
