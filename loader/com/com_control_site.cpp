#include "loader/com/com_control_site.hpp"

namespace vexa::loader {
namespace {

HWND Embedding(HWND window) {
    HWND parent = window ? ::GetParent(window) : nullptr;
    HWND second = parent ? ::GetParent(parent) : nullptr;
    return second ? second : parent;
}

WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

}  // namespace

WindowHandle ComControlSite::EmbeddingParent() { return Handle(Embedding(place_.Window())); }

Rect ComControlSite::ControlRect() {
    HWND window = place_.Window();
    HWND parent = Embedding(window);
    if (!parent) return {};
    RECT area;
    ::GetClientRect(window, &area);
    ::MapWindowPoints(window, parent, reinterpret_cast<POINT*>(&area), 2);
    return {area.left, area.top, area.right, area.bottom};
}

WindowHandle ComControlSite::BrowserWindow() {
    HWND window = place_.Window();
    return Handle(window ? ::GetAncestor(window, GA_ROOT) : nullptr);
}

void ComControlSite::Repaint() {
    if (HWND window = place_.Window()) ::InvalidateRect(window, nullptr, TRUE);
}

}  // namespace vexa::loader
