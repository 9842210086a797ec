#pragma once
// The loader's view of its place in a page, taken from the COM object's window: the
// embedding parent two levels above it (or its parent), its rectangle there, the
// browser's top-level window.

#include "loader/control_site.hpp"
#include "platform/win32/com/control_place.hpp"

namespace vexa::loader {

class ComControlSite final : public ControlSite {
public:
    explicit ComControlSite(const com::ControlPlace& place) : place_(place) {}

    WindowHandle EmbeddingParent() override;
    Rect ControlRect() override;
    WindowHandle BrowserWindow() override;
    bool HasBorder() override { return false; }
    void Repaint() override;

private:
    const com::ControlPlace& place_;
};

}  // namespace vexa::loader
