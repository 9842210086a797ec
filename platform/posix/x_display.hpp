#pragma once
// The screen of the X display named by DISPLAY. libX11 is loaded when asked, so the
// toolbox neither needs it to build nor to run on a machine without a display.

#include <optional>

#include "platform/ui.hpp"

namespace vexa {

inline constexpr ScreenMetrics kScreenWithoutDisplay{1024, 768, 24};

// Nullopt when DISPLAY is unset, libX11 is missing or the display cannot be opened.
std::optional<ScreenMetrics> XDisplayScreen();

}  // namespace vexa
