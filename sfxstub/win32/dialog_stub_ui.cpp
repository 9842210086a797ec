#include "sfxstub/win32/dialog_stub_ui.hpp"

#include "platform/win32/win32_ui.hpp"
#include "sfxstub/stub_texts.hpp"
#include "sfxstub/win32/stub_resources.hpp"

namespace vexa::sfx {
namespace {

// Every button ends the dialog with its own id; Escape and the close box end it with
// IDCANCEL, which answers Cancel like the button.
INT_PTR CALLBACK OverwriteProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowTextA(window, kOverwriteCaption);
        ::SetDlgItemTextA(window, IDC_EXISTS_NOTE, kOverwriteExists);
        ::SetDlgItemTextA(window, IDC_EXISTING_PATH, reinterpret_cast<const char*>(lParam));
        ::SetDlgItemTextA(window, IDC_OVERWRITE_QUESTION, kOverwriteQuestion);
        return TRUE;
    case WM_COMMAND:
        ::EndDialog(window, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

OverwriteAnswer AnswerOf(INT_PTR button) {
    switch (button) {
    case IDC_ANSWER_YES:
        return OverwriteAnswer::Yes;
    case IDC_ANSWER_NO:
        return OverwriteAnswer::No;
    case IDC_ANSWER_YES_TO_ALL:
        return OverwriteAnswer::YesToAll;
    default:  // the Cancel button, the dialog closed otherwise, or no dialog at all
        return OverwriteAnswer::Cancel;
    }
}

}  // namespace

void DialogStubUi::ShowMessage(const std::string& text, const std::string& caption) {
    Win32Ui(Owner()).ShowMessage(text, caption, caption == kErrorCaption ? MessageIcon::Error : MessageIcon::Information);
}

void DialogStubUi::ShowFiles(const std::string& caption, const std::vector<std::string>& entries) {
    ::SetWindowTextA(dialog_, caption.c_str());
    ::SetDlgItemTextA(dialog_, IDC_STATUS, kListStatus);
    for (const std::string& entry : entries) {
        ::SendDlgItemMessageA(dialog_, IDC_FILES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

std::optional<std::string> DialogStubUi::ChooseFolder() {
    return Win32Ui(Owner()).SelectFolder(0, kFolderPrompt);
}

void DialogStubUi::ShowStatus(const std::string& status) {
    {
        std::lock_guard<std::mutex> lock(statusLock_);
        status_ = status;
    }
    ::PostMessageA(dialog_, kStatusNotice, 0, 0);
}

OverwriteAnswer DialogStubUi::AskOverwrite(const std::string& path) {
    return AnswerOf(::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_OVERWRITE), dialog_, OverwriteProcedure,
                                      reinterpret_cast<LPARAM>(path.c_str())));
}

void DialogStubUi::ShowPostedStatus() {
    std::lock_guard<std::mutex> lock(statusLock_);
    ::SetDlgItemTextA(dialog_, IDC_STATUS, status_.c_str());
}

}  // namespace vexa::sfx
