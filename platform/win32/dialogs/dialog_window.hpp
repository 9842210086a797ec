#pragma once
// A dialog of the program's resources as an object, what every dialog program builds its
// windows on (the self-extract stub, the page wizard): the system's dialog procedure hands
// each message to the object's Handle, from WM_INITDIALOG on.

#include <windows.h>

#include <string>

namespace vexa::dialogs {

class DialogWindow {
public:
    virtual ~DialogWindow() = default;
    DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    HWND Window() const { return window_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    std::string ItemText(int id) const;
    // Changes the text only when it differs, so that a box being typed in keeps its caret.
    void SetItemText(int id, const std::string& text) const;

protected:
    // Shows the dialog `templateId` modally, owned by `owner`, until EndDialog; its result.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);
    // Makes the dialog `templateId` without waiting: a child of `parent` when its template
    // says so. False if the system refuses.
    bool Create(HINSTANCE instance, int templateId, HWND parent);
    // A dialog procedure's answer: TRUE when handled, or what the message asks for (a
    // brush for WM_CTLCOLOR...). Window() is set when WM_INITDIALOG comes.
    virtual INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

}  // namespace vexa::dialogs
