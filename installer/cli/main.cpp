// VexaInstall on a console: the installer's dialog as lines on a terminal. A product's
// setup program is a copy of it with a cabinet appended.

#include <pthread.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "installer/cli/console_host.hpp"
#include "installer/installer_texts.hpp"
#include "platform/native.hpp"
#include "platform/posix/policy_trust.hpp"

namespace {

using namespace vexa;
using namespace vexa::installer;

// The program's size as built, where its attachment starts; the build pads it to this.
constexpr std::uint64_t kAttachmentOffset = VEXA_INSTALL_SIZE;

constexpr const char* kDescription = R"(Installs the program whose setup this is.

It shows the program's name, destination folder and program group, asks "Install?" and
then the questions of the installation, each answered by a line of standard input (y for
Yes; anything else, or the end of the input, is No). Ctrl+C during the installation is its
Cancel button: the installation pauses and asks whether to cancel.

Exit status: 0 installed, 1 failed, cancelled or refused (the message says why), 2 bad options.)";

volatile sig_atomic_t interrupted = 0;

extern "C" void Interrupt(int) { interrupted = 1; }

// Without SA_RESTART, so that a question waiting for its answer returns at once.
void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = Interrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

bool TakeInterrupt() {
    bool was = interrupted != 0;
    interrupted = 0;
    return was;
}

// The file this process runs from, where the attachment is.
std::string OwnPath(const char* argv0) {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    return std::filesystem::absolute(argv0, error).string();
}

// The worker on a thread of its own, which leaves Ctrl+C to this one; the interrupt is
// the Cancel button while Cancel is enabled.
void RunWorker(VexaInstall& install, ConsoleInstallHost& host, ConsoleLines& lines) {
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    std::thread worker([&install] { install.RunInstallation(); });
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    while (!host.WaitFinished(50)) {
        if (!TakeInterrupt()) continue;
        if (!host.CancelEnabled()) {
            lines.Say("(Cancel is not possible at this step)");
            continue;
        }
        install.PressCancel();
        if (!install.State().statusText.empty()) lines.Say(install.State().statusText);
    }
    worker.join();
}

struct Options {
    std::optional<std::string> destination;
    std::optional<std::string> password;
    bool yes = false;
};

int Install(const Options& options, const std::string& ownPath) {
    ConsoleLines lines(std::cout, std::cerr);
    ConsoleInstallUi ui(lines, std::cin, options.yes);
    std::optional<NativePlatform> native;
    try {
        native.emplace();
    } catch (const MachineUnavailable& error) {
        lines.Say(std::string(kCaption) + ": " + error.what(), true);
        return 1;
    }
    const Platform& machine = native->Get();
    PolicyTrust trust(TrustPolicy::Ask, ui);
    Platform platform{machine.files, machine.clock, machine.windows, ui, machine.components, machine.shell,
                      machine.registry, machine.internet, trust,
                      machine.processes};
    ConsoleInstallHost host(lines, std::cin, options.password, options.destination);
    // From here Ctrl+C answers the question being asked No, or presses Cancel.
    CatchInterrupt();
    VexaInstall install(platform, host, ownPath, kAttachmentOffset);
    if (!install.StartUp()) return 1;
    if (options.destination) install.ChangeFolder();
    ShowFields(lines, install.State());

    bool go = options.yes;
    if (!go && !TakeInterrupt()) {
        lines.Prompt("Install? [y/N] ");
        auto answer = AnswerTo(lines, std::cin);
        go = !TakeInterrupt() && answer && !answer->empty() && (answer->front() == 'y' || answer->front() == 'Y');
    }
    if (!go || !install.PressInstall()) {
        install.PressCancel();
        lines.Say(std::string(kCaption) + ": nothing was installed", true);
        return 1;
    }
    // A wrong password before is no failure of the installation.
    const int errorsBefore = ui.Errors();
    RunWorker(install, host, lines);
    const bool failed = ui.Errors() > errorsBefore;
    if ((host.Completed() || ui.RebootAsked()) && !failed) return 0;
    if (!failed) lines.Say(std::string(kCaption) + ": the installation was cancelled", true);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(kDescription, "VexaInstall");
    Options options;
    app.add_option("--dest", options.destination,
                   "Destination folder, as Change Folder picks it: the product's folder name is added unless the "
                   "path ends with it")
        ->type_name("DIR");
    app.add_option("--password", options.password, "The installation password, if the setup asks for one")
        ->type_name("TEXT");
    app.add_flag("--yes", options.yes, "Answer Yes to every question and press Install");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return 2;
    }
    if (options.destination && options.destination->empty()) {
        std::cerr << "VexaInstall: --dest needs a folder\n";
        return 2;
    }
    return Install(options, OwnPath(argv[0]));
}
