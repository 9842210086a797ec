// vexa: the console toolbox over the portable core.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "apps/vexa/commands.hpp"
#include "common/text.hpp"

namespace vexa::cli {

std::string WhyUnreadable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (error) return error.message();
    if (fs::is_directory(status)) return "is a directory";
    if (!fs::is_regular_file(status)) return "not a regular file";
    return "cannot be opened for reading";
}

CLI::App& AddCabCommand(CLI::App& app) {
    CLI::App* cab = app.add_subcommand("cab", "Make, list, expand and convert cabinets");
    cab->require_subcommand(1);
    return *cab;
}

void Fail(Context& context, int code, const std::string& message) {
    std::cerr << "vexa: " << message << '\n';
    context.exitCode = std::max(context.exitCode, code);
}

void Fail(Context& context, int code, const std::string& message, const std::string& cause) {
    Fail(context, code, message);
    if (!cause.empty()) std::cerr << "  " << cause << '\n';
}

NativePlatform& Context::Machine() {
    if (!machine_) machine_ = std::make_unique<NativePlatform>();
    return *machine_;
}

Files& Context::files() {
    if (!files_) files_ = NativeFiles();
    return *files_;
}

namespace {

constexpr const char* kExitRule =
    "Exit status: 0 done; 1 the job failed, was cancelled (Ctrl-C too) or answered no;\n"
    "2 bad input (an empty argument, a missing file, a malformed signature or URL).";

// Values that may be empty text, by command and option. The loader's DefaultURL is empty on
// a page that gives none. vexa call's method arguments are no options and pass untouched:
// a control's text parameter may be empty (a cabinet member stored under its own name).
constexpr std::string_view kMayBeEmpty[] = {"script check --default-url"};

// An empty or blank path is the current folder, or with a separator added the root: a
// destination nobody means. Checked before any other check of the value, so the message
// says what is wrong rather than that "" is no number.
std::string RefuseBlank(std::string& value) {
    return Trim(value).empty() ? "must not be empty" : "";
}

bool MayBeEmpty(const std::string& command, const CLI::Option& option) {
    std::string name = command + " " + option.get_name();
    return std::find(std::begin(kMayBeEmpty), std::end(kMayBeEmpty), name) != std::end(kMayBeEmpty);
}

// Applied to every command once all are registered, so that a new one cannot forget it.
void ApplyCommonRules(CLI::App& app, const std::string& command) {
    for (CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0 || MayBeEmpty(command, *option)) continue;  // flags take no value
        option->transform(CLI::Validator(RefuseBlank, ""));
    }
    const std::string own = app.get_footer();
    app.footer(own.empty() ? kExitRule : own + "\n\n" + kExitRule);
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
        ApplyCommonRules(*sub, command.empty() ? sub->get_name() : command + " " + sub->get_name());
}

std::atomic<bool> cancelling{false};
std::atomic<bool> interrupted{false};

// A command that does not catch Ctrl-C itself is cancelled by it, with the status of a
// cancelled job rather than the signal's. A job in hand is asked to cancel instead, so it
// removes what it made; a second Ctrl-C ends the program at once.
extern "C" void OnInterrupt(int) {
    if (cancelling && !interrupted.exchange(true)) return;
    constexpr char kMessage[] = "\nvexa: interrupted\n";
    ssize_t ignored = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    static_cast<void>(ignored);
    std::_Exit(kNegative);
}

}  // namespace

CancelOnInterrupt::CancelOnInterrupt() { cancelling = true; }
CancelOnInterrupt::~CancelOnInterrupt() { cancelling = false; }
bool CancelOnInterrupt::Requested() { return interrupted; }

namespace {

// Output that did not reach its file (a full disk, a closed pipe) is a failed job.
void CheckOutputWritten(Context& context) {
    errno = 0;
    std::cout.flush();
    bool written = static_cast<bool>(std::cout) && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written)
        Fail(context, kNegative,
             std::string("the output cannot be written") + (errno != 0 ? ": " + std::string(std::strerror(errno)) : ""));
}

}  // namespace
}  // namespace vexa::cli

int main(int argc, char** argv) {
    vexa::cli::Context context;

    CLI::App app{"vexa: tools of the VexaWeb system: file signatures, scripts, cabinets, downloads and the cache"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "vexa " VEXA_VERSION);
    vexa::cli::AddSigCommands(app, context);
    vexa::cli::AddScriptCommands(app, context);
    CLI::App& cab = vexa::cli::AddCabCommand(app);
    vexa::cli::AddCabCommands(cab, context);
    vexa::cli::AddCabSfxCommand(cab, context);
    vexa::cli::AddCallCommand(app, context);
    vexa::cli::AddFetchCommand(app, context);
    vexa::cli::AddPostCommand(app, context);
    vexa::cli::AddLoadCommand(app, context);
    vexa::cli::AddCacheCommands(app, context);
    vexa::cli::AddEventCommands(app, context);
    vexa::cli::AddRestartCommand(app, context);
    vexa::cli::AddWizardCommands(app, context);
    vexa::cli::AddSetupCommands(app, context);
    vexa::cli::ApplyCommonRules(app, "");

    // Without SA_RESTART, so that a question waiting for its answer gives up at Ctrl-C.
    struct sigaction action {};
    action.sa_handler = vexa::cli::OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version arrive here too, as successes.
        if (app.exit(error) != 0) context.exitCode = vexa::cli::kBadInput;
    } catch (const vexa::MachineUnavailable& error) {
        vexa::cli::Fail(context, vexa::cli::kBadInput, error.what());
    }
    vexa::cli::CheckOutputWritten(context);
    return context.exitCode;
}
