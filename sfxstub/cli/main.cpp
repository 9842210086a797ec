// sfxstub on a console: the front of every self-extracting cabinet made on this system.

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <iostream>
#include <string_view>

#include "platform/posix/posix_files.hpp"
#include "sfxstub/cli/console_stub_ui.hpp"
#include "sfxstub/stub_session.hpp"

namespace {

// The stub's own size, where its cabinet starts; the build pads the stub to exactly this.
constexpr std::uint64_t kAttachmentOffset = VEXA_SFX_STUB_SIZE;

constexpr const char* kUsage = R"(Usage: sfxstub [--help]

Expands the cabinet attached to this program.

It lists the cabinet's files and asks for the folder to expand them into; before it
replaces an existing file it asks: Yes, No, Yes to All or Cancel. Answers are lines of
standard input: a folder path (an empty line or the end of input ends the program), and
y, n, a, c or the button texts for the questions (the end of input answers Cancel).
Ctrl+C closes the program: a running expansion stops without a message.

Exit status: 0 once the program has started, whatever the outcome of its expansions (the
messages say it); 1 when it cannot start (no cabinet attached, no temporary cabinet);
2 for any argument but --help; 128 + N when closed by signal N.
)";

// The signal handler can reach nothing else.
vexa::sfx::ExpansionFlags* closingFlags = nullptr;
volatile sig_atomic_t closingSignal = 0;

extern "C" void Close(int signal) {
    closingSignal = signal;
    closingFlags->closing = true;
    closingFlags->cancel = true;
    // A question waiting for its answer ends as if the input had ended.
    ::close(STDIN_FILENO);
}

// Without SA_RESTART, so that a read waiting for input returns at once.
void CloseOnSignals(vexa::sfx::ExpansionFlags& flags) {
    closingFlags = &flags;
    struct sigaction action {};
    action.sa_handler = Close;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // The stub takes no arguments but a request for help. It parses them by hand, since
    // every self-extracting cabinet carries the stub and an option library would
    // treble its size.
    if (argc > 1) {
        bool help = argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h");
        (help ? std::cout : std::cerr) << kUsage;
        return help ? 0 : 2;
    }

    // Only the file port: the whole platform would weigh down every self-extracting cabinet.
    vexa::PosixFiles files;
    vexa::sfx::ConsoleStubUi ui(std::cin, std::cout, std::cerr);
    vexa::sfx::StubSession session(files, ui, argv[0], kAttachmentOffset);
    CloseOnSignals(session.Flags());
    bool started = session.Run();
    // The handler must not reach the flags once the session is gone.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_IGN);
    if (closingSignal != 0) return 128 + closingSignal;
    return started ? 0 : 1;
}
