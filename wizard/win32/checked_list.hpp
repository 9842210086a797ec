#pragma once
// A list box with a check box before each entry, as the program file list shows its
// entries: drawn by its owner (LBS_OWNERDRAWFIXED), and told apart from a plain list box
// by where a click lands. A click on the box, or the space bar, toggles the entry; the
// right mouse button asks for the pop-up menu. The owner decides what either does.

#include <windows.h>

#include <functional>
#include <string>

namespace vexa::wizard {

class CheckedList {
public:
    // Takes over `list`, which lives as long as this object.
    CheckedList(HWND list, std::function<void(int)> toggle, std::function<void(POINT)> menu);
    ~CheckedList();
    CheckedList(const CheckedList&) = delete;
    CheckedList& operator=(const CheckedList&) = delete;

    // For the owner's WM_DRAWITEM.
    static void Draw(const DRAWITEMSTRUCT& item, const std::string& text, bool checked);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self);
    bool OnCheckBox(POINT point, int& index) const;

    HWND list_;
    std::function<void(int)> toggle_;
    std::function<void(POINT)> menu_;
};

}  // namespace vexa::wizard
