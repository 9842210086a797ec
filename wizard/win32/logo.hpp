#pragma once
// The picture at the left of the window (picLogo), drawn rather than stored: a globe over
// a band of blue, with the product's name.

#include <windows.h>

namespace vexa::wizard {

void DrawLogo(HDC dc, const RECT& area);

}  // namespace vexa::wizard
