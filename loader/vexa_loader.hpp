#pragma once
// The loader control as the page sees it: the methods a page calls, three stored
// properties, custom events that a started program sends by registered window message,
// and the events of a run. The run itself is the driver's.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/dispatch.hpp"
#include "loader/control_site.hpp"
#include "loader/run_driver.hpp"
#include "platform/platform.hpp"

namespace vexa::loader {

class VexaLoader final : private WindowHandler, private RunEvents {
public:
    // `site` and `events` must outlive the control.
    VexaLoader(Platform& platform, ControlSite& site, EventSink& events);
    ~VexaLoader() override;
    VexaLoader(const VexaLoader&) = delete;
    VexaLoader& operator=(const VexaLoader&) = delete;

    // Stored properties.
    std::string autoScriptFilename;
    std::string defaultUrl;
    std::string defaultPara;

    void Beep();
    bool IsScriptRunning();
    bool RunScript(const std::string& scriptFilename);
    bool DefineCustomEvent(const std::string& eventName);
    void CloseScript();
    std::string GetProductDirectory();
    bool Test1();
    void SetCurrentUrl(const std::string& urlName);
    std::string GetCustomEventPara();
    void SetStandAloneMode(bool standAloneMode);
    void SetExecuteType(std::int32_t executeType);
    std::string GetCustomVar();
    std::string Cmd(const std::string& strCmd, const std::string& strPar);
    void AboutBox();

    // For hosts: the control's window, and the run with its progress window.
    WindowHandle Window() const { return window_; }
    RunDriver& Driver() { return *driver_; }
    const std::string& PageBase() const { return pageBase_; }

private:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(std::uint32_t timerId) override;
    bool FireCustomEvent(std::uint32_t message, std::uintptr_t wParam);
    void ScriptDone() override;
    void ScriptError() override;
    void MiscEvent(const std::string& text) override;
    void Raise(std::int32_t eventId, std::vector<Value> arguments);

    Platform& platform_;
    EventSink& events_;
    WindowHandle window_ = 0;
    std::unique_ptr<RunDriver> driver_;
    std::string pageBase_;
    std::vector<std::pair<std::uint32_t, std::string>> customEvents_;
    std::string customEventPara_;
};

}  // namespace vexa::loader
