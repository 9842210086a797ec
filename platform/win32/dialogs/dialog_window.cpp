#include "platform/win32/dialogs/dialog_window.hpp"

#include <vector>

namespace vexa::dialogs {

std::string DialogWindow::ItemText(int id) const {
    HWND item = Item(id);
    std::vector<char> text(static_cast<std::size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
    const int length = ::GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(length > 0 ? length : 0));
}

void DialogWindow::SetItemText(int id, const std::string& text) const {
    if (ItemText(id) != text) ::SetDlgItemTextA(window_, id, text.c_str());
}

INT_PTR DialogWindow::RunModal(HINSTANCE instance, int templateId, HWND owner) {
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

bool DialogWindow::Create(HINSTANCE instance, int templateId, HWND parent) {
    return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, Procedure,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<DialogWindow*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrA(window, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

}  // namespace vexa::dialogs
