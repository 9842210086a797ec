#pragma once
// The program at the end of a run: found in the script's Execute line, started from the
// product directory, its main window taken into the page and kept over the control, started
// again when the user closes it, and closed with the page.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loader/cache.hpp"
#include "loader/control_site.hpp"
#include "loader/script.hpp"
#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/processes.hpp"
#include "platform/registry.hpp"
#include "platform/shell.hpp"

namespace vexa::loader {

// The execute type that starts the program without embedding or managing it.
inline constexpr std::int32_t kStartOnly = 100;

struct ExecuteCommand {
    std::string program;                 // native path inside the product directory
    std::vector<std::string> arguments;  // arguments 2 onward of the line
};

// The first Execute or ExecuteInSeparateWindow line whose argument 1 starts with
// "<ProductDirectory>"; `productDirectory` ends with a separator.
std::optional<ExecuteCommand> FindExecuteLine(const ScriptLines& lines, const std::string& productDirectory);
// Each argument after one blank, quoted when it holds a blank; trimmed at both ends.
std::string ArgumentText(const std::vector<std::string>& arguments);
// The first visible top-level window of the thread with a non-empty rectangle whose
// caption equals `title` without regard to case; any caption when `title` is empty.
WindowHandle FindThreadWindow(Processes& processes, std::uint32_t thread, const std::string& title);

struct ExecutionPorts {
    Processes& processes;
    Files& files;
    Clock& clock;
    Shell& shell;
    Registry& registry;
};

class ProgramExecution {
public:
    ProgramExecution(ExecutionPorts ports, ControlSite& site, LocalCache& cache);
    ~ProgramExecution();  // closes a program still running
    ProgramExecution(const ProgramExecution&) = delete;
    ProgramExecution& operator=(const ProgramExecution&) = delete;

    void SetExecuteType(std::int32_t type) { executeType_ = type; }
    void SetStandAloneMode(bool standAlone) { standAlone_ = standAlone; }

    // Starts the script's program. Empty on success, also when the script names none;
    // otherwise the failure text for the error window.
    std::string StartScriptProgram(const ScriptLines& lines, const std::string& productDirectory);
    // From the control's timer while the run goes: restarts a managed program that has
    // ended, finds and places its window. Empty, or the failure text of a restart.
    std::string ManageTick();
    // Asks the program to close, ends it if it will not, and forgets it.
    void CloseProgram();
    // Brings the browser back to the front after closing, unless in stand-alone mode.
    void ReturnToBrowser();

    bool Managed() const { return managed_; }
    // The process handle in decimal after a start; empty before.
    const std::string& CustomVar() const { return customVar_; }
    // The page's auxiliary commands; unknown commands give an empty text.
    std::string Cmd(const std::string& command, const std::string& parameter);

private:
    // Starts the remembered command and looks for its window; false when it cannot start.
    bool LaunchProgram();
    // Makes a found window a child of the embedding parent, when there is one.
    void Embed();
    void Place();
    // Raises the browser when the program has just become the foreground window.
    void FollowForeground();
    // Drops the handles of a program that has been released.
    void Forget();
    std::string CreateTempLink(const std::string& parameter);
    std::string StartupFolder();

    ExecutionPorts ports_;
    ControlSite& site_;
    LocalCache& cache_;
    std::int32_t executeType_ = 0;
    bool standAlone_ = false;
    bool managed_ = false;
    bool alwaysOnTop_ = false;
    std::string customVar_;
    // The command, its argument text and the window title, kept for restarts.
    ExecuteCommand command_;
    std::string argumentText_;
    std::string title_;
    WindowHandle parent_ = 0;
    StartedProcess process_;
    WindowHandle window_ = 0;
    WindowHandle lastForeground_ = 0;
};

}  // namespace vexa::loader
