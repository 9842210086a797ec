#include "apps/vexa/fetch_window.hpp"

namespace vexa::cli {
namespace {

constexpr loader::DownloadMessages kMessages{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};
constexpr std::uint32_t kWatchdogTimer = 1;

}  // namespace

FetchWindow::FetchWindow(Platform& platform, const std::string& markerFolder, std::string name)
    : platform_(platform), name_(std::move(name)) {
    window_ = platform.windows.Create(*this);
    engine_ = std::make_unique<loader::DownloadEngine>(
        loader::DownloadPorts{platform.files, platform.clock, platform.windows, platform.internet}, window_, kMessages,
        markerFolder);
    platform.windows.SetTimer(window_, kWatchdogTimer, 100);
}

FetchWindow::~FetchWindow() {
    engine_.reset();
    platform_.windows.Destroy(window_);
}

std::optional<std::string> FetchWindow::Fetch(const std::string& url) {
    if (!engine_->StartDownload(url, loader::DownloadKind::ProgramCabinet)) {
        cause_ = "the transfer could not be started";
        return std::nullopt;
    }
    while (!ended_) platform_.windows.RunUntil([this] { return ended_; }, 60'000);
    progress_.Break();
    return result_;
}

void FetchWindow::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const bool ended = (message == kMessages.done || message == kMessages.failed) && engine_->EndIsCurrent(wParam);
    if (message == kMessages.done && ended) result_ = engine_->OnDone();
    if (message == kMessages.progress) {
        engine_->OnProgress(wParam, static_cast<std::uint64_t>(lParam));
        progress_.Show(name_, wParam, static_cast<std::uint64_t>(lParam));
    }
    if (message == kMessages.failed && ended) cause_ = engine_->OnFailed().cause;
    ended_ = ended_ || ended;
}

void FetchWindow::OnTimer(std::uint32_t) {
    if (!engine_->Downloading()) return;
    engine_->WatchdogStep();
    if (engine_->StallCountdown() <= 10)
        progress_.Show(name_ + ": no data, reconnecting in " + std::to_string(engine_->StallCountdown()) + " s", 0, 0);
}

}  // namespace vexa::cli
