#pragma once
// What the wizard's windows share in how they look: the larger font of their headings and
// the tool tips of their buttons.

#include <windows.h>

namespace vexa::wizard {

// A bold font half as high again as the window's own, for headings; the caller deletes it.
HFONT MakeHeadingFont(HWND window);

// Shows `text` while the mouse rests on `control`. The tip belongs to `owner` and goes
// with it; `text` must outlive it.
void AddToolTip(HWND owner, HWND control, const char* text);

}  // namespace vexa::wizard
