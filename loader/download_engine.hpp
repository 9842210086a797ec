#pragma once
// Fetches one file at a time on a worker thread that reports to the control's window by
// posting: done (the message base), failed (base + 1) and progress (base + 2, with the
// bytes received and the size announced). An empty marker file keeps a transfer alive:
// dropping the job deletes it and closes the session, and the worker ends without a word.
// The marker belongs to the job, which serves one transfer after another until it is
// dropped; a dropped job is replaced by a fresh one with a marker of its own.
// The control's timer runs the stall watchdog, which restarts a transfer that has been
// quiet for 300 seconds. The engine also keeps the run's progress figures and window.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "loader/download_progress.hpp"
#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/internet.hpp"
#include "platform/message_windows.hpp"

namespace vexa::loader {

inline constexpr const char* kScriptFileLabel = "SCRIPT FILE";
inline constexpr int kStallCountdown = 300;

struct DownloadPorts {
    Files& files;
    Clock& clock;
    Windows& windows;
    Internet& internet;
};

struct DownloadJob;

class DownloadEngine {
public:
    // Messages go to `notifyWindow` from `messageBase` on; marker files are made in
    // `markerFolder`. The worker waits `startDelay` ms before it starts.
    DownloadEngine(DownloadPorts ports, WindowHandle notifyWindow, std::uint32_t messageBase,
                   std::string markerFolder, std::uint32_t startDelay = 0);
    // Drops a running transfer and waits for every worker, so none outlives the ports.
    ~DownloadEngine();
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    // Refused while a transfer is active, or when its marker or worker cannot be made.
    bool StartDownload(const std::string& url, const std::string& kindLabel);
    void DropDownload();
    bool Downloading() const { return downloading_; }
    const std::string& KindLabel() const { return kindLabel_; }

    // The worker's end, handled on the control's thread: the transfer is no longer
    // active. Done gives the local file; both give the URL that was fetched.
    std::string OnDone();
    std::string OnFailed();
    // A progress message: the watchdog is satisfied, and for any file but the script the
    // figures move on and the window follows.
    void OnProgress(std::uint64_t received, std::uint64_t announced);
    // The whole current file has arrived.
    void FileArrived();
    // From the control's timer while downloading: one step per second at most.
    void WatchdogStep();

    ProgressFigures& Figures() { return figures_; }
    int StallCountdown() const { return countdown_; }
    // Seconds without news before a transfer is restarted; 300 unless a host says otherwise.
    void SetStallSeconds(int seconds) { stallSeconds_ = countdown_ = seconds; }
    // Created by the run; absent until then and after it has been closed.
    ProgressWindow* Window() { return window_.get(); }
    void OpenWindow(const std::string& title) { window_ = std::make_unique<ProgressWindow>(title); }
    void CloseWindow() { window_.reset(); }
    void UpdateProgressWindow();

private:
    DownloadPorts ports_;
    WindowHandle notifyWindow_;
    std::uint32_t messageBase_;
    std::string markerFolder_;
    std::uint32_t startDelay_;

    struct Worker {
        std::shared_ptr<DownloadJob> job;
        std::thread thread;
    };
    // Joins the workers that have ended; the others are left to end.
    void JoinEnded();

    std::shared_ptr<DownloadJob> job_;
    std::string marker_;  // the job's; empty until its first transfer and after a drop
    std::vector<Worker> workers_;  // dropped ones included, until they end
    bool downloading_ = false;
    std::string kindLabel_;
    std::string currentUrl_;
    int stallSeconds_ = kStallCountdown;
    int countdown_ = kStallCountdown;
    std::uint32_t lastTick_ = 0;
    ProgressFigures figures_;
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace vexa::loader
