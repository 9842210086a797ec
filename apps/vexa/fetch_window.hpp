#pragma once
// The download engine's window on a console: one URL fetched through the engine, with its
// progress on standard error and the stall watchdog on the window's timer.

#include <memory>
#include <optional>
#include <string>

#include "apps/vexa/progress.hpp"
#include "loader/download_engine.hpp"
#include "platform/platform.hpp"

namespace vexa::cli {

// The line a console prints after the loader's text for a failed download.
inline std::string CauseLine(const std::string& cause) { return "cause: " + cause; }

class FetchWindow final : public WindowHandler {
public:
    // `name` labels the progress; marker files go into `markerFolder`.
    FetchWindow(Platform& platform, const std::string& markerFolder, std::string name);
    ~FetchWindow() override;

    // The local file that holds the URL's content, or empty when the transfer failed;
    // then Cause() says why.
    std::optional<std::string> Fetch(const std::string& url);
    const std::string& Cause() const { return cause_; }

private:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(std::uint32_t) override;

    Platform& platform_;
    std::string name_;
    WindowHandle window_ = 0;
    std::unique_ptr<loader::DownloadEngine> engine_;
    Progress progress_;
    bool ended_ = false;
    std::optional<std::string> result_;
    std::string cause_;
};

}  // namespace vexa::cli
