#include "wizard/win32/window_look.hpp"

#include <commctrl.h>

namespace vexa::wizard {

HFONT MakeHeadingFont(HWND window) {
    LOGFONTA font{};
    auto own = reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
    if (!own || !::GetObjectA(own, sizeof font, &font)) return nullptr;
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    return ::CreateFontIndirectA(&font);
}

void AddToolTip(HWND owner, HWND control, const char* text) {
    HWND tips = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    if (!tips) return;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace vexa::wizard
