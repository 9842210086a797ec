#pragma once
// One run of a script, from the page's RunScript to the started program: fetch and expand
// the script cabinet, check the script, ask for trust, prepare the product directory, then
// walk the install lines one at a time, and finally ask for a restart or start the program.
// Everything happens on the control's window thread, in its message and timer handlers;
// the download worker only posts.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "loader/cache.hpp"
#include "loader/control_site.hpp"
#include "loader/download_engine.hpp"
#include "loader/execution.hpp"
#include "loader/install_line.hpp"
#include "loader/installation.hpp"
#include "loader/script.hpp"
#include "loader/split_download.hpp"
#include "platform/platform.hpp"

namespace vexa::loader {

// The messages of a run, posted to the control's window: the driver's steps and its
// download engine's reports.
inline constexpr std::uint32_t kRunNext = kUserMessage + 1;
inline constexpr std::uint32_t kRunFinish = kUserMessage + 2;
inline constexpr DownloadMessages kRunDownload{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};
inline constexpr std::uint32_t kRunCancel = kUserMessage + 8;

inline constexpr const char* kRebootQuestion =
    "To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now?";

// How a run reports to the page.
class RunEvents {
public:
    virtual ~RunEvents() = default;
    virtual void ScriptDone() = 0;
    virtual void ScriptError() = 0;
    virtual void MiscEvent(const std::string& text) = 0;
};

// The certificate check's kind of file, by the last three letters of the path.
TrustSubject TrustSubjectOf(const std::string& path);

class RunDriver {
public:
    // `window` is the control's window, which passes its messages and timer ticks on.
    RunDriver(Platform& platform, ControlSite& site, RunEvents& events, WindowHandle window);
    ~RunDriver();
    RunDriver(const RunDriver&) = delete;
    RunDriver& operator=(const RunDriver&) = delete;

    // `defaultUrl` is the control's DefaultURL, `pageBase` the page's directory URL.
    bool RunScript(const std::string& scriptName, const std::string& defaultUrl, const std::string& pageBase);
    // Ends the program and the run, and removes the product directory.
    void CloseScript();
    bool IsScriptRunning() const { return running_; }
    // While the program has been started; empty otherwise.
    std::string GetProductDirectory() const { return programStarted_ ? productDirectory_ : std::string(); }

    // A message for the driver; false when it is not one of its own.
    bool OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnTimer();

    ProgramExecution& Execution() { return *execution_; }
    // For hosts that cannot wait five minutes: how long a transfer may stall.
    void SetStallSeconds(int seconds) { stallSeconds_ = seconds; }
    LocalCache& Cache() { return cache_; }
    // The progress window of the run; null when none is open.
    ProgressWindow* Progress() { return engine_ ? engine_->Window() : nullptr; }
    // What the system knows of the last failure beyond its message, such as why a download
    // failed ("HTTP 404"); empty when it knows nothing more.
    const std::string& FailureCause() const { return failureCause_; }

private:
    void Fail(const std::string& text, const std::string& cause = {});
    void Post(std::uint32_t message) { platform_.windows.Post(window_, message, 0, 0); }
    // A transfer's end, with the serial its message carries.
    void OnDownloadDone(std::uintptr_t serial);
    void OnDownloadFailed(std::uintptr_t serial);
    void ScriptArrived(const std::string& cabinet);
    void Prepare();
    // Steps into the lines once the script is prepared: trust, the progress window.
    void BeginLines(std::int64_t total);
    bool CreateProductDirectory();
    std::int64_t TotalBytes(WhilePending pending);
    void Advance();
    void StartLine(const InstallLine& line);
    void Fetch(const InstallLine& line);
    void Download(const std::string& url, DownloadKind kind);
    void FileArrived(const std::string& file);
    // Starts the next line's cabinet while the current program line is handled.
    void FetchAhead();
    // The current line's cabinet was fetched ahead: it is here, or it is still coming.
    void TakeFetchedAhead();
    void ForgetFetchedAhead();
    // Drops the transfer under way, the current line's or one ahead, and what came ahead.
    void StopTransfers();
    // Ends a line's handling: the next line, or the failure.
    void LineDone(const std::string& error);
    // Removes the work directory that an arrived file was joined in; others stay.
    void RemoveArrivedDirectory(const std::string& file);
    void Finish();
    void Cancel();
    void RemoveProductDirectory();

    Platform& platform_;
    ControlSite& site_;
    RunEvents& events_;
    WindowHandle window_;
    LocalCache cache_;
    Installation installation_;
    std::unique_ptr<ProgramExecution> execution_;
    std::unique_ptr<DownloadEngine> engine_;

    int stallSeconds_ = kStallCountdown;
    bool running_ = false;
    std::string failureCause_;
    bool connecting_ = false;
    bool inTimer_ = false;
    std::uint32_t lastRepaint_ = 0;
    std::string defaultUrl_;
    std::string pageBase_;
    ScriptLines lines_;
    std::ptrdiff_t currentLine_ = -1;
    std::string scriptCabinet_;
    std::string productDirectory_;
    std::unique_ptr<HeldFile> heldMarker_;
    bool programStarted_ = false;
    std::optional<InstallLine> currentInstall_;
    // The lines run as if every kept program cabinet still being checked were sound.
    bool presumingKept_ = false;
    // The script's certificate was accepted during this run.
    bool trusted_ = false;
    SplitDownload split_;
    // The line whose cabinet is fetched ahead (-1 for none), and the file when it arrived
    // before the line's turn came.
    std::ptrdiff_t aheadLine_ = -1;
    std::optional<std::string> aheadFile_;
};

}  // namespace vexa::loader
