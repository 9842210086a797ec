#include "wizard/win32/logo.hpp"

#include <algorithm>

namespace vexa::wizard {
namespace {

constexpr int kBands = 48;

// From deep blue at the top to a lighter one at the bottom.
void FillGradient(HDC dc, const RECT& area) {
    const int height = area.bottom - area.top;
    for (int band = 0; band < kBands; ++band) {
        RECT part = area;
        part.top = area.top + height * band / kBands;
        part.bottom = area.top + height * (band + 1) / kBands;
        HBRUSH brush = ::CreateSolidBrush(RGB(10 + band * 2, 40 + band * 3, 120 + band * 2));
        ::FillRect(dc, &part, brush);
        ::DeleteObject(brush);
    }
}

// A globe: a circle with two meridians and the equator.
void DrawGlobe(HDC dc, int centreX, int centreY, int radius) {
    HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    ::Ellipse(dc, centreX - radius, centreY - radius, centreX + radius, centreY + radius);
    ::Ellipse(dc, centreX - radius / 2, centreY - radius, centreX + radius / 2, centreY + radius);
    ::MoveToEx(dc, centreX, centreY - radius, nullptr);
    ::LineTo(dc, centreX, centreY + radius);
    ::MoveToEx(dc, centreX - radius, centreY, nullptr);
    ::LineTo(dc, centreX + radius, centreY);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
}

void DrawName(HDC dc, RECT area, int height, const char* text) {
    HFONT font = ::CreateFontA(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ old = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextA(dc, text, -1, &area, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
}

}  // namespace

void DrawLogo(HDC dc, const RECT& area) {
    FillGradient(dc, area);
    const int width = area.right - area.left;
    const int radius = std::max(8, width / 3);
    const int centreY = area.top + (area.bottom - area.top) / 3;
    DrawGlobe(dc, area.left + width / 2, centreY, radius);
    RECT name = area;
    name.top = centreY + radius + radius / 2;
    DrawName(dc, name, std::max(10, width / 6), "VexaWeb");
    name.top += std::max(10, width / 6) + 4;
    DrawName(dc, name, std::max(8, width / 9), "Express");
}

}  // namespace vexa::wizard
