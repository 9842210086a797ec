#include "loader/download_engine.hpp"

#include <atomic>
#include <filesystem>
#include <system_error>

#include "loader/url_transfer.hpp"

namespace vexa::loader {

// Shared by the control's thread and the worker. The worker writes the outcome fields
// before it posts, and the control reads them after the message: the post orders them.
struct DownloadJob {
    std::string url;
    std::string lastUrl;
    int status = 0;  // 0 success, -1 failure
    std::string resultPath;
    std::string cause;  // of a failure
    std::string markerFile;
    std::uintptr_t serial = 0;  // sent with the end, which names the transfer it is of
    SessionSlot session;
    // Set as soon as the transfer has ended, before the outcome is written: the control
    // reads only this until the worker's message arrives.
    std::atomic<bool> ended{false};
};

namespace {

constexpr std::uint32_t kWatchdogStepMs = 1000;
constexpr int kReconnectShown = 10;

void RemoveFile(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

DownloadEngine::DownloadEngine(DownloadPorts ports, WindowHandle notifyWindow, DownloadMessages messages,
                               std::string markerFolder, std::uint32_t startDelay)
    : ports_(ports),
      notifyWindow_(notifyWindow),
      messages_(messages),
      markerFolder_(std::move(markerFolder)),
      startDelay_(startDelay) {}

DownloadEngine::~DownloadEngine() {
    DropDownload();
    for (auto& worker : workers_) worker.thread.join();
}

bool DownloadEngine::StartDownload(const std::string& url, DownloadKind kind) {
    if (downloading_) return false;
    JoinEnded();
    restartedAfterStall_ = false;
    lastTick_ = ports_.clock.TickCount();
    figures_.fileBytes = figures_.fileSize = 0;
    countdown_ = stallSeconds_;
    if (marker_.empty()) {
        auto marker = ports_.files.CreateTempFileIn(markerFolder_, "~dl");
        if (!marker) return false;
        marker_ = *marker;
    }
    auto job = std::make_shared<DownloadJob>();
    job->url = url;
    job->markerFile = marker_;
    job->serial = ++serials_;
    try {
        std::thread thread([this, job] {
            if (startDelay_ > 0) ports_.clock.Sleep(startDelay_);
            auto result = TransferUrl({ports_.files, ports_.clock, ports_.internet}, job->url, job->markerFile,
                                      job->session, [this](std::uint64_t received, std::uint64_t announced) {
                                          ports_.windows.Post(notifyWindow_, messages_.progress, received,
                                                              static_cast<std::intptr_t>(announced));
                                      });
            job->ended = true;
            if (Exists(job->markerFile)) {
                job->status = result.file ? 0 : -1;
                job->resultPath = result.file.value_or("");
                job->cause = result.cause;
                job->lastUrl = job->url;
                job->url.clear();
                ports_.windows.Post(notifyWindow_, result.file ? messages_.done : messages_.failed, job->serial, 0);
            }
        });
        workers_.push_back({job, std::move(thread)});
    } catch (const std::system_error&) {
        return false;
    }
    job_ = job;
    kind_ = kind;
    currentUrl_ = url;
    downloading_ = true;
    return true;
}

void DownloadEngine::DropDownload() {
    if (!marker_.empty()) RemoveFile(marker_);
    marker_.clear();
    if (job_) {
        job_->session.Close();
        job_.reset();
    }
    downloading_ = false;
}

void DownloadEngine::JoinEnded() {
    std::erase_if(workers_, [](Worker& worker) {
        if (!worker.job->ended) return false;
        worker.thread.join();
        return true;
    });
}

bool DownloadEngine::EndIsCurrent(std::uintptr_t serial) const { return downloading_ && job_ && job_->serial == serial; }

std::string DownloadEngine::OnDone() {
    downloading_ = false;
    return job_ ? job_->resultPath : std::string();
}

DownloadFailure DownloadEngine::OnFailed() {
    downloading_ = false;
    if (!job_) return {};
    DownloadFailure failure{job_->lastUrl, job_->cause};
    if (restartedAfterStall_)
        failure.cause += " (asked for again after " + std::to_string(stallSeconds_) + " s without data)";
    return failure;
}

void DownloadEngine::OnProgress(std::uint64_t received, std::uint64_t announced) {
    countdown_ = stallSeconds_;
    if (kind_ == DownloadKind::ScriptCabinet) return;
    figures_.bytesDone += static_cast<std::int64_t>(received) - figures_.fileBytes;
    figures_.fileBytes = static_cast<std::int64_t>(received);
    figures_.fileSize = static_cast<std::int64_t>(announced);
    UpdateRate(figures_, ports_.clock.TickCount());
    if (figures_.fileBytes > 50) UpdateProgressWindow();
}

// Progress is posted at most every 250 ms, so the last bytes of a file may not have been
// reported: they count now, or the overall figure would fall short for good.
void DownloadEngine::FileArrived() {
    figures_.bytesDone += figures_.fileSize - figures_.fileBytes;
    figures_.fileBytes = figures_.fileSize;
    UpdateProgressWindow();
}

void DownloadEngine::UpdateProgressWindow() {
    if (window_) window_->Update(figures_, currentUrl_);
}

// Restarts the same URL from its start once the countdown runs out; the bytes of the
// abandoned attempt leave the total, so nothing is counted twice.
void DownloadEngine::WatchdogStep() {
    std::uint32_t now = ports_.clock.TickCount();
    if (now - lastTick_ < kWatchdogStepMs) return;
    lastTick_ = now;
    --countdown_;
    if (countdown_ <= kReconnectShown && window_) window_->ShowReconnecting(countdown_);
    if (countdown_ > 0 || !job_ || job_->ended) return;
    figures_.bytesDone -= figures_.fileBytes;
    std::string url = currentUrl_;
    DropDownload();
    StartDownload(url, kind_);
    restartedAfterStall_ = true;
}

}  // namespace vexa::loader
