#pragma once
// Fetches one file at a time on a worker thread that reports to the control's window by
// posting the host's messages: done, failed and progress (with the bytes received and the
// size announced). An empty marker file keeps a transfer alive:
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

inline constexpr int kStallCountdown = 300;

// What a transfer fetches, which decides what becomes of it when it arrives. Only the
// script cabinet stays out of the run's progress figures.
enum class DownloadKind { ScriptCabinet, ProgramCabinet, Library, Control };

// The numbers of the engine's messages to its window; the host chooses them beside its own.
struct DownloadMessages {
    std::uint32_t done;
    std::uint32_t failed;
    std::uint32_t progress;  // wParam the bytes received, lParam the size announced
};

// A transfer that failed: its URL and why, as one line for a person.
struct DownloadFailure {
    std::string url;
    std::string cause;
};

struct DownloadPorts {
    Files& files;
    Clock& clock;
    Windows& windows;
    Internet& internet;
};

struct DownloadJob;

class DownloadEngine {
public:
    // `messages` go to `notifyWindow`; marker files are made in `markerFolder`. The worker
    // waits `startDelay` ms before it starts.
    DownloadEngine(DownloadPorts ports, WindowHandle notifyWindow, DownloadMessages messages, std::string markerFolder,
                   std::uint32_t startDelay = 0);
    // Drops a running transfer and waits for every worker, so none outlives the ports.
    ~DownloadEngine();
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    // Refused while a transfer is active, or when its marker or worker cannot be made.
    bool StartDownload(const std::string& url, DownloadKind kind);
    void DropDownload();
    bool Downloading() const { return downloading_; }
    DownloadKind Kind() const { return kind_; }
    // Whether a done or failed message, by the serial it carries as its first parameter, is
    // the current transfer's. A transfer dropped by the watchdog may still post its end,
    // since the new marker can take the dropped one's name (Windows hands out temporary
    // names again) and its worker then cannot tell it was dropped.
    bool EndIsCurrent(std::uintptr_t serial) const;

    // The worker's end, handled on the control's thread: the transfer is no longer
    // active. Done gives the local file, failed the URL and the cause.
    std::string OnDone();
    DownloadFailure OnFailed();
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
    DownloadMessages messages_;
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
    std::uintptr_t serials_ = 0;
    DownloadKind kind_ = DownloadKind::ProgramCabinet;
    // The current transfer is the watchdog's second try after a stall.
    bool restartedAfterStall_ = false;
    std::string currentUrl_;
    int stallSeconds_ = kStallCountdown;
    int countdown_ = kStallCountdown;
    std::uint32_t lastTick_ = 0;
    ProgressFigures figures_;
    std::unique_ptr<ProgressWindow> window_;
};

}  // namespace vexa::loader
