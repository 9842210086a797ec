#include "wizard/win32/checked_list.hpp"

#include <commctrl.h>

namespace vexa::wizard {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kMargin = 2;

// The check box is a square as high as the entry, less the margins.
RECT CheckBoxOf(const RECT& item) {
    const int side = item.bottom - item.top - 2 * kMargin;
    return {item.left + kMargin, item.top + kMargin, item.left + kMargin + side, item.top + kMargin + side};
}

}  // namespace

CheckedList::CheckedList(HWND list, std::function<void(int)> toggle, std::function<void(POINT)> menu)
    : list_(list), toggle_(std::move(toggle)), menu_(std::move(menu)) {
    // Entries as high as the list's font with room for the box.
    HDC dc = ::GetDC(list);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(list, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    ::SendMessageA(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight + 2 * kMargin);
    ::SetWindowSubclass(list, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

CheckedList::~CheckedList() { ::RemoveWindowSubclass(list_, Procedure, kSubclassId); }

void CheckedList::Draw(const DRAWITEMSTRUCT& item, const std::string& text, bool checked) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool selected = item.itemState & ODS_SELECTED;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    RECT box = CheckBoxOf(item.rcItem);
    ::DrawFrameControl(item.hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
    RECT label = item.rcItem;
    label.left = box.right + 2 * kMargin;
    if (selected) ::FillRect(item.hDC, &label, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    label.left += kMargin;
    ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &label,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &label);
}

bool CheckedList::OnCheckBox(POINT point, int& index) const {
    const LRESULT hit = ::SendMessageA(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit)) return false;  // outside every entry
    index = LOWORD(hit);
    RECT item{};
    if (::SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        return false;
    const RECT box = CheckBoxOf(item);
    return point.x < box.right + kMargin;
}

LRESULT CALLBACK CheckedList::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    auto& self = *reinterpret_cast<CheckedList*>(data);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {  // a second click on the box toggles again
            const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
            int index = 0;
            if (self.OnCheckBox(point, index)) self.toggle_(index);
            return result;
        }
        case WM_KEYDOWN:
            if (wParam != VK_SPACE) break;
            if (const LRESULT current = ::SendMessageA(window, LB_GETCARETINDEX, 0, 0); current != LB_ERR)
                self.toggle_(static_cast<int>(current));
            return 0;
        case WM_CHAR:
            if (wParam == ' ') return 0;  // the key down toggled already
            break;
        case WM_RBUTTONDOWN: {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(window, &point);
            self.menu_(point);
            return 0;
        }
        default:
            break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace vexa::wizard
