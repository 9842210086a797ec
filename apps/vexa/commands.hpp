#pragma once
// The sub-commands of the vexa toolbox. Each Add*Commands registers its commands on
// the application; a command's callback leaves its exit status in `exitCode`.

#include <CLI/CLI.hpp>

#include <string>

#include <memory>

#include "common/dispatch.hpp"
#include "platform/native.hpp"

namespace vexa::cli {

// One rule for every command: 0 done; 1 the job failed, was cancelled (Ctrl-C too) or its
// answer is no (a file that does not match its signature, a script the loader refuses);
// 2 bad input (an empty argument, a missing file, a malformed signature or URL).
enum ExitCode : int { kSuccess = 0, kNegative = 1, kBadInput = 2 };

// What the commands share: the exit status, and the machine, which is built when a command
// first needs it, so that --help, --version and refused arguments leave no prefix behind.
class Context {
public:
    // Throws MachineUnavailable when the environment names no machine (an empty VEXA_PREFIX).
    NativePlatform& Machine();
    Platform& platform() { return Machine().Get(); }
    // The file port alone, for commands that only read files: it makes no machine.
    Files& files();

    int exitCode = kSuccess;

private:
    std::unique_ptr<NativePlatform> machine_;
    std::unique_ptr<Files> files_;
};

void AddSigCommands(CLI::App& app, Context& context);
void AddScriptCommands(CLI::App& app, Context& context);
// The "cab" command family; each of its commands attaches itself to it.
CLI::App& AddCabCommand(CLI::App& app);
void AddCabSfxCommand(CLI::App& cab, Context& context);
// make, list, expand, split and join.
void AddCabCommands(CLI::App& cab, Context& context);
void AddCallCommand(CLI::App& app, Context& context);
void AddFetchCommand(CLI::App& app, Context& context);
// Sends form fields to a server script and prints its answer.
void AddPostCommand(CLI::App& app, Context& context);
// Plays a page: the page's calls into the loader control, the run, the program.
void AddLoadCommand(CLI::App& app, Context& context);
// list, housekeep and clear.
void AddCacheCommands(CLI::App& app, Context& context);
// send.
void AddEventCommands(CLI::App& app, Context& context);
// Lists, or with --apply carries out, the replacements waiting for a restart.
void AddRestartCommand(CLI::App& app, Context& context);
// The page wizard: its steps on a terminal, and build.
void AddWizardCommands(CLI::App& app, Context& context);
// Setup programs: make, password and list.
void AddSetupCommands(CLI::App& app, Context& context);
void RunTerminalWizard(Context& context, const std::string& program, const std::string& wizardDir);

// "text" with its quotes and backslashes escaped.
std::string Quoted(const std::string& text);
// An event as the toolbox prints it: MakeCabDone("out.cab", 1200, 300).
std::string EventLine(const EventEntry& event, const std::vector<Value>& arguments);

// Why `path` cannot be read as a file, for messages: "no such file", "is a directory", ...
std::string WhyUnreadable(const std::string& path);
// While one lives, Ctrl-C asks the job in hand to cancel, so that it removes what it made,
// rather than ending the program; a second Ctrl-C ends it at once.
class CancelOnInterrupt {
public:
    CancelOnInterrupt();
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
    static bool Requested();
};

// Prints "vexa: <message>" to stderr and raises the exit status to `code`.
void Fail(Context& context, int code, const std::string& message);
// The same, with the cause on the next line: a message that is the system's own text
// says what failed, the cause why.
void Fail(Context& context, int code, const std::string& message, const std::string& cause);

}  // namespace vexa::cli
