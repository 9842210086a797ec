// The windows of a started program, worked through the process port as the loader works
// them: found by caption, minimised and restored, made a child of a window of ours and
// placed in it, and closed. Wine does not draw a window re-parented into another process,
// so only what the system answers is checked.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/native.hpp"
#include "tests/platform/process_fixture_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

using test::WaitUntil;

constexpr char kCaption[] = "Vexa Process Fixture";

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// Windows other than message windows need a display; under Wine, an X server.
HWND MakeWindowOfOurs() {
    return ::CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                             nullptr, nullptr, nullptr);
}

std::optional<TopLevelWindow> CaptionedWindow(Processes& processes, std::uint32_t thread) {
    for (const TopLevelWindow& window : processes.ThreadWindows(thread)) {
        if (window.visible && window.caption == kCaption) return window;
    }
    return std::nullopt;
}

void TakeSentMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
}

bool IsTopmost(WindowHandle window) { return (::GetWindowLongA(ToHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(ProcessWindows, TheLoadersStepsOnAProgramsWindow) {
    HWND parent = MakeWindowOfOurs();
    if (!parent) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
    NativePlatform platform;
    Processes& processes = platform.Get().processes;
    testing::TempDir dir;
    test::FixtureRun run(processes, dir.path());
    ASSERT_TRUE(run.Start(std::string("window:") + kCaption, ""));
    processes.WaitForInputIdle(run.Process(), test::kPatienceMs);

    std::optional<TopLevelWindow> found;
    ASSERT_TRUE(WaitUntil([&] { return (found = CaptionedWindow(processes, run.Thread())).has_value(); }));
    WindowHandle window = found->window;
    EXPECT_GT(found->rect.right, found->rect.left);
    EXPECT_GT(found->rect.bottom, found->rect.top);
    EXPECT_TRUE(processes.IsWindow(window));
    EXPECT_TRUE(processes.IsVisible(window));

    ::ShowWindow(ToHwnd(window), SW_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return processes.IsMinimised(window); }));
    processes.Restore(window);
    EXPECT_TRUE(WaitUntil([&] { return !processes.IsMinimised(window); }));

    processes.MakeTopmost(window);
    EXPECT_TRUE(IsTopmost(window));
    processes.RaiseWithoutActivating(window);
    EXPECT_FALSE(IsTopmost(window));

    WindowHandle ours = reinterpret_cast<WindowHandle>(parent);
    ASSERT_TRUE(processes.SetParent(window, ours));
    EXPECT_EQ(::GetAncestor(ToHwnd(window), GA_PARENT), parent);
    processes.Place(window, {10, 20, 210, 170});
    RECT placed{};
    ASSERT_TRUE(::GetWindowRect(ToHwnd(window), &placed));
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ((Rect{placed.left, placed.top, placed.right, placed.bottom}), (Rect{10, 20, 210, 170}));

    // Its end notifies our window, its parent now, and waits for us to take the message.
    processes.PostClose(window);
    EXPECT_TRUE(WaitUntil([&] {
        TakeSentMessages();
        return processes.WaitForExit(run.Process(), 0);
    }));
    EXPECT_FALSE(processes.IsWindow(window));

    processes.DestroyWindow(ours);
    EXPECT_FALSE(processes.IsWindow(ours));
}

TEST(ProcessWindows, TheForegroundWindowIsSet) {
    HWND first = MakeWindowOfOurs();
    HWND second = MakeWindowOfOurs();
    if (!first || !second) GTEST_SKIP() << "no display to show windows on (under Wine: run in xvfb-run)";
    NativePlatform platform;
    Processes& processes = platform.Get().processes;
    for (HWND hwnd : {first, second, first}) {
        WindowHandle window = reinterpret_cast<WindowHandle>(hwnd);
        processes.SetForegroundWindow(window);
        EXPECT_EQ(processes.ForegroundWindow(), window);
    }
    processes.DestroyWindow(reinterpret_cast<WindowHandle>(first));
    processes.DestroyWindow(reinterpret_cast<WindowHandle>(second));
}

}  // namespace
}  // namespace vexa
