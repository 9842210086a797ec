#pragma once
// Where a console holds the loader control: nowhere a program could be embedded into.

#include "loader/control_site.hpp"

namespace vexa::cli {

class ConsoleSite final : public loader::ControlSite {
public:
    WindowHandle EmbeddingParent() override { return 0; }
    Rect ControlRect() override { return {}; }
    WindowHandle BrowserWindow() override { return 0; }
    bool HasBorder() override { return false; }
    void Repaint() override {}
};

}  // namespace vexa::cli
