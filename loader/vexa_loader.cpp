#include "loader/vexa_loader.hpp"

#include "common/url.hpp"
#include "loader/loader_dispatch.hpp"

namespace vexa::loader {
namespace {

constexpr std::uint32_t kTimerId = 1;
constexpr std::uint32_t kTimerMs = 100;
constexpr std::size_t kMaxParameter = 256;

}  // namespace

// The driver posts to the control's window, so the window comes first.
VexaLoader::VexaLoader(Platform& platform, ControlSite& site, EventSink& events)
    : platform_(platform), events_(events) {
    window_ = platform.windows.Create(*this);
    driver_ = std::make_unique<RunDriver>(platform, site, static_cast<RunEvents&>(*this), window_);
    platform.windows.SetTimer(window_, kTimerId, kTimerMs);
}

VexaLoader::~VexaLoader() {
    driver_.reset();
    platform_.windows.Destroy(window_);
}

void VexaLoader::Beep() { platform_.ui.Beep(); }

bool VexaLoader::IsScriptRunning() { return driver_->IsScriptRunning(); }

bool VexaLoader::RunScript(const std::string& scriptFilename) {
    return driver_->RunScript(scriptFilename, defaultUrl, pageBase_);
}

bool VexaLoader::DefineCustomEvent(const std::string& eventName) {
    std::uint32_t message = platform_.windows.RegisterMessage(eventName);
    if (message == 0) return false;
    customEvents_.emplace_back(message, eventName);
    return true;
}

void VexaLoader::CloseScript() { driver_->CloseScript(); }

std::string VexaLoader::GetProductDirectory() { return driver_->GetProductDirectory(); }

bool VexaLoader::Test1() { return true; }

void VexaLoader::SetCurrentUrl(const std::string& urlName) { pageBase_ = PageBaseUrl(urlName); }

std::string VexaLoader::GetCustomEventPara() { return customEventPara_; }

void VexaLoader::SetStandAloneMode(bool standAloneMode) { driver_->Execution().SetStandAloneMode(standAloneMode); }

void VexaLoader::SetExecuteType(std::int32_t executeType) { driver_->Execution().SetExecuteType(executeType); }

std::string VexaLoader::GetCustomVar() { return driver_->Execution().CustomVar(); }

std::string VexaLoader::Cmd(const std::string& strCmd, const std::string& strPar) {
    return driver_->Execution().Cmd(strCmd, strPar);
}

void VexaLoader::AboutBox() { platform_.ui.ShowMessage("VexaWeb Loader Control", "About VexaLoader"); }

void VexaLoader::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (FireCustomEvent(message, wParam)) return;
    driver_->OnMessage(message, wParam, lParam);
}

// Only the first entry for a message fires; its text travels in a global atom.
bool VexaLoader::FireCustomEvent(std::uint32_t message, std::uintptr_t wParam) {
    for (const auto& [number, name] : customEvents_) {
        if (number != message) continue;
        customEventPara_.clear();
        if (wParam != 0)
            customEventPara_ =
                platform_.windows.AtomName(static_cast<std::uint16_t>(wParam), kMaxParameter).value_or("");
        Raise(kCustomEvent, {name});
        customEventPara_.clear();
        return true;
    }
    return false;
}

void VexaLoader::OnTimer(std::uint32_t) { driver_->OnTimer(); }

void VexaLoader::ScriptDone() { Raise(kScriptDone, {}); }

void VexaLoader::ScriptError() { Raise(kScriptError, {std::int32_t{0}, std::string()}); }

void VexaLoader::MiscEvent(const std::string& text) { Raise(kMiscEvent, {text}); }

void VexaLoader::Raise(std::int32_t eventId, std::vector<Value> arguments) {
    if (const EventEntry* event = VexaLoaderDispatch().FindEvent(eventId)) events_.Raise(*event, arguments);
}

}  // namespace vexa::loader
