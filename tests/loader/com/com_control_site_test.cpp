#include "loader/com/com_control_site.hpp"

#include <gtest/gtest.h>

namespace vexa::loader {
namespace {

struct FixedPlace final : com::ControlPlace {
    HWND Window() const override { return window; }
    HWND window = nullptr;
};

HWND Child(HWND parent, int left, int top, int width, int height) {
    return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, left, top, width, height, parent, nullptr, nullptr,
                             nullptr);
}

WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

TEST(ComControlSite, ThePlaceIsTakenTwoLevelsAboveTheControlsWindowOrOne) {
    HWND browser = ::CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                     nullptr, nullptr);
    if (!browser) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
    HWND page = Child(browser, 0, 0, 300, 200);
    HWND frame = Child(page, 20, 30, 200, 100);
    FixedPlace place;
    ComControlSite site(place);
    EXPECT_EQ(site.EmbeddingParent(), 0u) << "not active in place";
    EXPECT_EQ(site.ControlRect(), Rect{});

    place.window = Child(frame, 5, 6, 41, 39);
    EXPECT_EQ(site.EmbeddingParent(), Handle(page));
    EXPECT_EQ(site.ControlRect(), (Rect{25, 36, 66, 75}));
    EXPECT_EQ(site.BrowserWindow(), Handle(browser));

    place.window = Child(browser, 7, 8, 41, 39);
    EXPECT_EQ(site.EmbeddingParent(), Handle(browser)) << "its parent when there is no second level";
    EXPECT_EQ(site.ControlRect(), (Rect{7, 8, 48, 47}));
    ::DestroyWindow(browser);
}

}  // namespace
}  // namespace vexa::loader
