#include "loader/run_driver.hpp"

#include <filesystem>
#include <fstream>

#include "cabcodec/expand_into.hpp"
#include "common/file_name.hpp"
#include "common/text.hpp"
#include "common/url.hpp"
#include "common/wildcard.hpp"
#include "loader/texts.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRepaintMs = 500;
constexpr std::uint32_t kRemoveRetryMs = 150;
constexpr std::uint32_t kRemoveLimitMs = 3000;

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return !out.fail();
}

// The first file of the folder whose name matches "*Script.txt", in listing order.
std::optional<std::string> FindScriptText(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && MatchesWildcard("*Script.txt", entry.path().filename().string()))
            return entry.path().string();
    return std::nullopt;
}

// The script's name as a URL: "<DEFAULTURL>" resolved, then combined with the page's base.
std::string ScriptUrl(const std::string& name, const std::string& defaultUrl, const std::string& pageBase) {
    std::string url = name;
    if (StartsWithIgnoreCase(url, "<DEFAULTURL>")) url = ExpandDefaultUrlAt(url, 0, DefaultBase(defaultUrl));
    if (!pageBase.empty()) url = CombineUrl(pageBase, url).value_or(url);
    return url;
}

DownloadKind DownloadKindOf(InstallKind kind) {
    switch (kind) {
        case InstallKind::Library: return DownloadKind::Library;
        case InstallKind::Control: return DownloadKind::Control;
        case InstallKind::Program: break;
    }
    return DownloadKind::ProgramCabinet;
}

}  // namespace

TrustSubject TrustSubjectOf(const std::string& path) {
    std::string ending = ToUpperAnsi(path.size() < 3 ? path : path.substr(path.size() - 3));
    if (ending == "EXE" || ending == "OCX" || ending == "DLL") return TrustSubject::PortableExecutable;
    if (ending == "ASS") return TrustSubject::JavaClass;
    if (ending == "CAB") return TrustSubject::Cabinet;
    return TrustSubject::RawFile;
}

RunDriver::RunDriver(Platform& platform, ControlSite& site, RunEvents& events, WindowHandle window)
    : platform_(platform),
      site_(site),
      events_(events),
      window_(window),
      cache_(platform.files, platform.clock, platform.registry, platform.shell.FolderPath(SpecialFolder::Windows)),
      installation_({platform.files, platform.components, platform.registry, platform.shell}, cache_),
      execution_(std::make_unique<ProgramExecution>(
          ExecutionPorts{platform.processes, platform.files, platform.clock, platform.shell, platform.registry}, site,
          cache_)) {}

// The program goes before the directory it runs from.
RunDriver::~RunDriver() { CloseScript(); }

// A cabinet fetched ahead may still be on its way.
void RunDriver::Fail(const std::string& text, const std::string& cause) {
    running_ = false;
    failureCause_ = cause;
    StopTransfers();
    platform_.ui.ShowMessage(text, "Error");
    if (engine_) engine_->CloseWindow();
    events_.ScriptError();
}

bool RunDriver::RunScript(const std::string& scriptName, const std::string& defaultUrl, const std::string& pageBase) {
    if (running_) return false;
    running_ = true;
    failureCause_.clear();
    defaultUrl_ = defaultUrl;
    pageBase_ = pageBase;
    const std::string url = ScriptUrl(scriptName, defaultUrl, pageBase);
    connecting_ = true;
    site_.Repaint();
    if (!platform_.trust.Available()) {
        Fail("Cannot load required DLL file: WINTRUST.DLL.");
        return false;
    }
    cache_.Housekeep();
    lines_.clear();
    programStarted_ = false;
    installation_.BeginRun();
    presumingKept_ = false;
    trusted_ = false;
    split_.Reset();
    ForgetFetchedAhead();
    currentInstall_.reset();
    if (!engine_)
        engine_ = std::make_unique<DownloadEngine>(
            DownloadPorts{platform_.files, platform_.clock, platform_.windows, platform_.internet}, window_,
            kRunDownload, cache_.GetTempFolder());
    engine_->Figures() = {};
    engine_->SetStallSeconds(stallSeconds_);
    if (!engine_->StartDownload(url, DownloadKind::ScriptCabinet)) {
        Fail(std::string("Download error. Cannot download script file: ") + url + kLineBreak +
                 "Make sure you are connected to the Internet.",
             "the transfer could not be started");
        return false;
    }
    return true;
}

bool RunDriver::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case kRunNext: Advance(); return true;
        case kRunFinish: Finish(); return true;
        case kRunDownload.done: OnDownloadDone(wParam); return true;
        case kRunDownload.failed: OnDownloadFailed(wParam); return true;
        case kRunDownload.progress:
            if (engine_) engine_->OnProgress(wParam, static_cast<std::uint64_t>(lParam));
            return true;
        case kRunCancel: Cancel(); return true;
        default: return false;
    }
}

void RunDriver::OnDownloadDone(std::uintptr_t serial) {
    if (!engine_ || !engine_->EndIsCurrent(serial)) return;
    std::string file = engine_->OnDone();
    const DownloadKind kind = engine_->Kind();
    if (kind != DownloadKind::ScriptCabinet) engine_->FileArrived();
    if (split_.PiecesLeft() >= 1) {
        split_.PieceArrived(platform_.files, file);
        if (split_.PiecesLeft() >= 1) return Download(split_.NextUrl(), kind);
    }
    if (split_.Pieces().size() >= 2) {
        file = split_.Join(cache_);
        if (file.empty()) {
            Fail(UnsplitFailedText(std::string(FileNamePart(currentInstall_->cabinet))));
            currentLine_ = -1;
            return;
        }
    }
    split_.Reset();
    if (kind == DownloadKind::ScriptCabinet) return ScriptArrived(file);
    if (aheadLine_ > currentLine_) {
        aheadFile_ = file;
        return;
    }
    if (currentInstall_) FileArrived(file);
}

// A piece that could not be stored leaves a hole in the set, which the join reports.
void RunDriver::OnDownloadFailed(std::uintptr_t serial) {
    if (!engine_ || !engine_->EndIsCurrent(serial)) return;
    DownloadFailure failure = engine_->OnFailed();
    split_.Reset();
    currentLine_ = -1;
    Fail(DownloadFailedText(failure.url), failure.cause);
}

void RunDriver::ScriptArrived(const std::string& cabinet) {
    connecting_ = false;
    site_.Repaint();
    std::string work = cache_.MakeUniqueTempDir("~tm");
    if (work.empty()) return Fail("Cannot create temporary work directory.");
    if (!cab::ExpandInto(platform_.files, cabinet, work).Done()) {
        cache_.RemoveTempTree(work);
        return Fail("Cab expansion error. Cannot expand Cab script file: " + cabinet);
    }
    auto text = FindScriptText(work);
    bool loaded = text && LoadScriptLines(platform_.files, *text, lines_);
    cache_.RemoveTempTree(work);
    if (!text) return Fail("Cannot find script text in cab.");
    if (!loaded) return Fail(std::string(kCannotLoadScript));
    if (std::string error = PrepareScript(lines_, defaultUrl_, pageBase_); !error.empty()) return Fail(error);
    scriptCabinet_ = cabinet;
    Prepare();
}

// A second visit usually finds every program cabinet kept: the run then goes on as if
// each kept copy were sound while their checks finish, and begins its lines again, as it
// would have begun them, should one of them turn out spoilt.
void RunDriver::Prepare() {
    if (std::string error = installation_.CheckDiskSpace(lines_); !error.empty()) return Fail(error);
    if (!CreateProductDirectory())
        return Fail("Cannot create temporary product directory. Make sure you have sufficient hard disk space.");
    std::int64_t total = TotalBytes(WhilePending::AssumeSound);
    presumingKept_ = total == 0 && installation_.KeptChecksPending();
    BeginLines(presumingKept_ ? total : TotalBytes(WhilePending::Wait));
}

void RunDriver::BeginLines(std::int64_t total) {
    engine_->Figures().totalBytes = total;
    const bool known = cache_.FindCachedCab(scriptCabinet_, CacheKind::Script);
    if (known) cache_.KeepCachedCab(scriptCabinet_, CacheKind::Script);
    if ((!known || total > 0) && !trusted_) {
        if (!platform_.trust.Verify(scriptCabinet_, TrustSubjectOf(scriptCabinet_)))
            return Fail("User rejected script certificate.");
        trusted_ = true;
        if (!known) cache_.KeepCachedCab(scriptCabinet_, CacheKind::Script);
    }
    if (total > 0) {
        engine_->OpenWindow(GetScriptVar(lines_, "InstallDialogTitle"));
        engine_->Window()->SetRunFlags(true, true);
        engine_->UpdateProgressWindow();
    }
    currentLine_ = -1;
    Post(kRunNext);
}

// The markers tell other loaders that this directory is alive, and tell the program
// where the page and the control are.
bool RunDriver::CreateProductDirectory() {
    productDirectory_ = cache_.MakeUniqueTempDir("~pr");
    if (productDirectory_.empty()) return false;
    heldMarker_ = platform_.files.CreateHeldFile(productDirectory_ + kHeldMarkerName);
    return heldMarker_ && WriteText(productDirectory_ + "~CurrentUrl.txt", pageBase_) &&
           WriteText(productDirectory_ + "~OcxHWnd.txt", std::to_string(window_));
}

std::int64_t RunDriver::TotalBytes(WhilePending pending) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (auto line = ReadInstallLine(lines_, i); line && installation_.MustFetch(*line, pending))
            total += line->cabinetSize;
    return total;
}

void RunDriver::Advance() {
    if (!running_) return;
    ++currentLine_;
    if (currentLine_ >= static_cast<std::ptrdiff_t>(lines_.size())) return Post(kRunFinish);
    auto line = ReadInstallLine(lines_, static_cast<std::size_t>(currentLine_));
    const bool components = engine_->Figures().totalBytes > 0;
    if (!line || (line->kind != InstallKind::Program && !components) ||
        (line->kind == InstallKind::Program && productDirectory_.empty()))
        return Post(kRunNext);
    StartLine(*line);
}

void RunDriver::StartLine(const InstallLine& line) {
    currentInstall_ = line;
    if (aheadLine_ == currentLine_) return TakeFetchedAhead();
    if (line.kind != InstallKind::Program) {
        if (installation_.MustFetch(line)) return Fetch(line);
        return Post(kRunNext);
    }
    std::string kept = installation_.FindCachedProgram(line.cabinet, line.cabinetSize, line.signature);
    if (kept.empty() && presumingKept_) {
        presumingKept_ = false;
        return BeginLines(TotalBytes(WhilePending::Wait));
    }
    if (kept.empty()) return Fetch(line);
    platform_.files.SetFileTime(kept, platform_.clock.LocalNow(), false);
    FetchAhead();
    LineDone(installation_.ExpandProgram(line, kept, productDirectory_));
}

void RunDriver::TakeFetchedAhead() {
    aheadLine_ = -1;
    if (!aheadFile_) return;
    std::string file = std::move(*aheadFile_);
    aheadFile_.reset();
    FileArrived(file);
}

// The network and the disk work at the same time: the next line's cabinet comes while
// this one is checked and expanded. Only a whole program cabinet that must be fetched goes
// ahead, and not one with the current cabinet's content, which is about to be kept; any
// other line waits for its turn, since what it needs may depend on the lines before.
// Lines that presume their kept copies sound have nothing to fetch.
void RunDriver::FetchAhead() {
    if (presumingKept_ || engine_->Downloading()) return;
    for (auto i = static_cast<std::size_t>(currentLine_) + 1; i < lines_.size(); ++i) {
        auto line = ReadInstallLine(lines_, i);
        if (!line) continue;
        if (line->kind == InstallKind::Program && line->pieces < 2 && line->signature != currentInstall_->signature &&
            installation_.MustFetch(*line) && engine_->StartDownload(line->cabinet, DownloadKindOf(line->kind)))
            aheadLine_ = static_cast<std::ptrdiff_t>(i);
        return;
    }
}

void RunDriver::StopTransfers() {
    if (engine_) engine_->DropDownload();
    ForgetFetchedAhead();
}

void RunDriver::ForgetFetchedAhead() {
    aheadLine_ = -1;
    aheadFile_.reset();
}

void RunDriver::Fetch(const InstallLine& line) {
    if (line.pieces < 2) return Download(line.cabinet, DownloadKindOf(line.kind));
    engine_->Figures().bytesDone += split_.Begin(cache_, line.cabinet, line.pieces, line.signature);
    if (split_.PiecesLeft() == 0) return Fail(UnsplitFailedText(std::string(FileNamePart(line.cabinet))));
    Download(split_.NextUrl(), DownloadKindOf(line.kind));
}

// A transfer that cannot even start fails as one that breaks off.
void RunDriver::Download(const std::string& url, DownloadKind kind) {
    if (engine_->StartDownload(url, kind)) return;
    split_.Reset();
    currentLine_ = -1;
    Fail(DownloadFailedText(url), "the transfer could not be started");
}

void RunDriver::FileArrived(const std::string& file) {
    const InstallLine& line = *currentInstall_;
    std::string error;
    if (line.kind != InstallKind::Program) {
        error = installation_.InstallComponent(line, file);
    } else {
        FetchAhead();
        error = installation_.AcceptProgram(line, file);
        if (error.empty()) error = installation_.ExpandProgram(line, file, productDirectory_);
    }
    RemoveArrivedDirectory(file);
    LineDone(error);
}

void RunDriver::LineDone(const std::string& error) {
    if (!error.empty()) return Fail(error);
    Post(kRunNext);
}

void RunDriver::RemoveArrivedDirectory(const std::string& file) {
    cache_.RemoveTempTree(fs::path(file).parent_path().string());
}

void RunDriver::Finish() {
    if (!running_) return;
    if (engine_) engine_->CloseWindow();
    if (installation_.RebootNeeded()) {
        if (platform_.ui.AskYesNo(kRebootQuestion, "VexaWeb")) {
            events_.MiscEvent("REBOOT");
            installation_.RestartWindows();
        }
        running_ = false;
        return;
    }
    if (std::string error = execution_->StartScriptProgram(lines_, productDirectory_); !error.empty())
        return Fail(error);
    programStarted_ = true;
    events_.ScriptDone();
}

void RunDriver::Cancel() {
    StopTransfers();
    split_.Reset();
    if (engine_) engine_->CloseWindow();
    RemoveProductDirectory();
    running_ = false;
    events_.ScriptError();
}

// Files of the program may stay locked for a moment after it ended.
void RunDriver::RemoveProductDirectory() {
    heldMarker_.reset();
    if (productDirectory_.empty()) return;
    const std::uint32_t start = platform_.clock.TickCount();
    std::error_code error;
    while (!cache_.RemoveTempTree(productDirectory_) && fs::exists(productDirectory_, error) &&
           platform_.clock.TickCount() - start < kRemoveLimitMs)
        platform_.clock.Sleep(kRemoveRetryMs);
    productDirectory_.clear();
}

void RunDriver::CloseScript() {
    StopTransfers();
    execution_->CloseProgram();
    RemoveProductDirectory();
    execution_->ReturnToBrowser();
    if (engine_) engine_->CloseWindow();
    programStarted_ = false;
    running_ = false;
}

void RunDriver::OnTimer() {
    if (inTimer_) return;
    inTimer_ = true;
    const std::uint32_t now = platform_.clock.TickCount();
    if (connecting_ && !running_) connecting_ = false;
    if (connecting_ && now - lastRepaint_ >= kRepaintMs) {
        lastRepaint_ = now;
        site_.Repaint();
    }
    if (running_ && engine_ && engine_->Downloading()) engine_->WatchdogStep();
    if (running_ && programStarted_ && execution_->Managed()) {
        if (std::string error = execution_->ManageTick(); !error.empty()) Fail(error);
    }
    inTimer_ = false;
}

}  // namespace vexa::loader
