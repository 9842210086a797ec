#pragma once
// The stand-alone web program's window: the page the loader control sits in. The started
// program is embedded into its client area, which shows the run's progress until then;
// the control's custom events are followed as a page would follow them, and closing the
// window closes the script.

#include <windows.h>

#include <memory>

#include "loader/stand_alone.hpp"

namespace vexa::loader {

class StandAloneWindow final : private ControlSite, private EventSink {
public:
    StandAloneWindow(HINSTANCE instance, Platform& platform, const StandAloneAttachment& attachment);
    ~StandAloneWindow() override;
    StandAloneWindow(const StandAloneWindow&) = delete;
    StandAloneWindow& operator=(const StandAloneWindow&) = delete;

    // Plays the web page program until the window is closed. The exit status: 0 when the
    // script had run (ScriptDone), 1 when the run failed, was cancelled or ended without.
    int Run();

private:
    WindowHandle EmbeddingParent() override;
    Rect ControlRect() override;
    WindowHandle BrowserWindow() override;
    bool HasBorder() override { return false; }
    void Repaint() override;
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void OnTick();
    void OnClose();

    Platform& platform_;
    const StandAloneAttachment attachment_;
    HWND window_ = nullptr;
    // Made once the window is there, since it is the control's site.
    std::unique_ptr<VexaLoader> control_;
    bool done_ = false;
};

}  // namespace vexa::loader
