#include "loader/execution.hpp"

#include <filesystem>
#include <string_view>

#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"

namespace vexa::loader {
namespace {

constexpr std::string_view kPlaceholder = "<ProductDirectory>";
constexpr std::string_view kStartFailed = "Cannot execute program specified in script: ";
constexpr std::string_view kRestartFailed = "Cannot execute program specified in script.";
constexpr std::uint32_t kInputIdleWait = 30'000;
constexpr std::uint32_t kCloseWait = 2000;
constexpr int kBorderInset = 4;
const std::vector<std::string> kShellFoldersKey = {"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
                                                   "Shell Folders"};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsExecuteWord(const std::string& word) { return word == "EXECUTE" || word == "EXECUTEINSEPARATEWINDOW"; }

// Authors write "<ProductDirectory>prog.exe" as well as "<ProductDirectory>\prog.exe".
std::string JoinProgramPath(std::string_view directory, std::string_view rest) {
    while (!directory.empty() && IsSeparator(directory.back())) directory.remove_suffix(1);
    while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
    return std::string(directory) + kNativeSeparator + NativePath(rest).string();
}

bool IsEmpty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

}  // namespace

std::optional<ExecuteCommand> FindExecuteLine(const ScriptLines& lines, const std::string& productDirectory) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsExecuteWord(GetCommandWord(lines, i))) continue;
        std::string first = GetArgument(lines, i, 1);
        if (!StartsWithIgnoreCase(first, kPlaceholder)) continue;
        ExecuteCommand command{JoinProgramPath(productDirectory, std::string_view(first).substr(kPlaceholder.size())),
                               {}};
        for (int k = 2; k <= CountArguments(lines, i); ++k) command.arguments.push_back(GetArgument(lines, i, k));
        return command;
    }
    return std::nullopt;
}

std::string ArgumentText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        bool quoted = argument.find(' ') != std::string::npos;
        text += quoted ? " \"" + argument + "\"" : " " + argument;
    }
    return std::string(Trim(text));
}

WindowHandle FindThreadWindow(Processes& processes, std::uint32_t thread, const std::string& title) {
    for (const TopLevelWindow& window : processes.ThreadWindows(thread)) {
        if (!window.visible || IsEmpty(window.rect)) continue;
        if (title.empty() || EqualsIgnoreCase(window.caption, title)) return window.window;
    }
    return 0;
}

ProgramExecution::ProgramExecution(ExecutionPorts ports, ControlSite& site, LocalCache& cache)
    : ports_(ports), site_(site), cache_(cache) {}

ProgramExecution::~ProgramExecution() { CloseProgram(); }

std::string ProgramExecution::StartScriptProgram(const ScriptLines& lines, const std::string& productDirectory) {
    managed_ = false;
    parent_ = executeType_ == kStartOnly ? 0 : site_.EmbeddingParent();
    if (auto command = FindExecuteLine(lines, productDirectory)) {
        command_ = std::move(*command);
        argumentText_ = ArgumentText(command_.arguments);
        title_ = GetScriptVar(lines, "ExeWindowTitle");
        if (productDirectory.empty() || !LaunchProgram()) return std::string(kStartFailed) + command_.program;
        if (alwaysOnTop_ && window_ != 0) ports_.processes.MakeTopmost(window_);
        alwaysOnTop_ = false;
        managed_ = executeType_ != kStartOnly;
    }
    customVar_ = std::to_string(process_.process);
    return {};
}

std::string ProgramExecution::ManageTick() {
    if (!managed_ || executeType_ == kStartOnly) return {};
    Processes& processes = ports_.processes;
    if (!processes.IsActive(process_.process)) {
        processes.Release(process_.process);
        Forget();
        if (!LaunchProgram()) {
            managed_ = false;
            return std::string(kRestartFailed);
        }
    }
    if (window_ == 0 || !processes.IsVisible(window_)) {
        window_ = FindThreadWindow(processes, process_.thread, title_);
        Embed();
    }
    if (window_ != 0) {
        if (processes.IsMinimised(window_)) {
            processes.Restore(window_);
            return {};
        }
        Place();
    }
    FollowForeground();
    return {};
}

void ProgramExecution::CloseProgram() {
    if (process_.process == 0) return;
    Processes& processes = ports_.processes;
    if (window_ != 0) processes.PostClose(window_);
    if (!processes.WaitForExit(process_.process, kCloseWait)) {
        processes.Terminate(process_.process);
        processes.WaitForExit(process_.process, kCloseWait);
    }
    if (window_ != 0 && processes.IsWindow(window_)) processes.DestroyWindow(window_);
    processes.Release(process_.process);
    Forget();
    managed_ = false;
}

void ProgramExecution::ReturnToBrowser() {
    if (standAlone_) return;
    if (WindowHandle browser = site_.BrowserWindow(); browser != 0) ports_.processes.SetForegroundWindow(browser);
}

std::string ProgramExecution::Cmd(const std::string& command, const std::string& parameter) {
    if (EqualsIgnoreCase(command, "CreateTempLnkFile")) return CreateTempLink(parameter);
    if (EqualsIgnoreCase(command, "GetWindowsStartupFolder")) return StartupFolder();
    if (EqualsIgnoreCase(command, "ExecuteProgramAsAlwaysOnTop")) alwaysOnTop_ = true;
    return {};
}

// The process port applies the system's short path when it builds the command line.
bool ProgramExecution::LaunchProgram() {
    Processes& processes = ports_.processes;
    auto started = processes.Start(command_.program, argumentText_, std::string(DirectoryPart(command_.program)),
                                   WindowShow::Normal);
    if (!started) return false;
    process_ = *started;
    processes.WaitForInputIdle(process_.process, kInputIdleWait);
    window_ = FindThreadWindow(processes, process_.thread, title_);
    Embed();
    return true;
}

void ProgramExecution::Embed() {
    if (window_ != 0 && parent_ != 0) ports_.processes.SetParent(window_, parent_);
}

// Without a parent (a start-only program, or a host with no page) there is no rectangle to
// keep the window over, so it stays where the program put it.
void ProgramExecution::Place() {
    if (parent_ == 0) return;
    int inset = site_.HasBorder() ? kBorderInset : 0;
    Rect control = site_.ControlRect();
    ports_.processes.Place(window_,
                           {control.left + inset, control.top + inset, control.right - inset, control.bottom - inset});
}

// A click into the embedded program makes its window the foreground, but the browser around
// it may lie behind other programs: bring the browser up without taking the focus away.
void ProgramExecution::FollowForeground() {
    WindowHandle foreground = ports_.processes.ForegroundWindow();
    WindowHandle browser = site_.BrowserWindow();
    bool justActivated = window_ != 0 && foreground == window_ && lastForeground_ != window_;
    if (justActivated && browser != 0 && browser != lastForeground_) ports_.processes.RaiseWithoutActivating(browser);
    lastForeground_ = foreground;
}

void ProgramExecution::Forget() {
    process_ = {};
    window_ = 0;
}

// "target?arguments", split at the last "?" since the target itself never holds one.
std::string ProgramExecution::CreateTempLink(const std::string& parameter) {
    std::size_t split = parameter.rfind('?');
    ShellLink link;
    link.target = split == std::string::npos ? std::string() : parameter.substr(0, split);
    link.arguments = split == std::string::npos ? parameter : parameter.substr(split + 1);
    link.description = "Temp Lnk";
    link.workingDirectory = std::string(DirectoryPart(link.target));
    std::string folder = cache_.GetTempFolder();
    auto path = folder.empty() ? std::nullopt : ports_.files.CreateTempFileIn(folder, "~vx");
    if (!path) return {};
    if (ports_.shell.CreateShellLink(link, *path)) return *path;
    ports_.files.DeleteUnlessHeld(*path);
    return {};
}

// Where the shell wrote it down; a system whose shell keeps no such value (the POSIX
// prefix) still knows its folder. Empty when neither knows it: a lone separator would
// name the root of a drive.
std::string ProgramExecution::StartupFolder() {
    std::string folder = ports_.registry.ReadString(RegistryRoot::CurrentUser, kShellFoldersKey, "Startup")
                             .value_or(ports_.shell.FolderPath(SpecialFolder::Startup));
    if (folder.empty() || EndsWithSeparator(folder)) return folder;
    return folder + kNativeSeparator;
}

}  // namespace vexa::loader
