// vexa event send: the sending side of the loader's custom events, for programs and
// scripts that the loader started.

#include <memory>

#include "apps/vexa/commands.hpp"
#include "download/custom_event_sender.hpp"

namespace vexa::cli {
namespace {

// Long enough for a window thread that is busy for a moment; a hung one is not waited for.
constexpr std::uint32_t kHandlingTimeoutMs = 5000;

struct EventArguments {
    WindowHandle window = 0;
    std::string event;
};

// Frees the atom once the message was handled or given up: the receiver has read it by then.
class TextAtom {
public:
    TextAtom(Windows& windows, const std::string& text) : windows_(windows), atom_(windows.AddAtom(text)) {}
    ~TextAtom() { windows_.DeleteAtom(atom_); }
    TextAtom(const TextAtom&) = delete;
    TextAtom& operator=(const TextAtom&) = delete;

    std::uint16_t Get() const { return atom_; }

private:
    Windows& windows_;
    std::uint16_t atom_;
};

void Send(Context& context, const EventArguments& args) {
    Windows& windows = context.platform().windows;
    const auto [name, text] = download::SplitCustomEventName(args.event);
    std::uint32_t message = windows.RegisterMessage(name);
    if (message == 0) return Fail(context, kBadInput, "\"" + name + "\": no message can be registered by that name");
    std::unique_ptr<TextAtom> atom;
    if (!text.empty()) {
        atom = std::make_unique<TextAtom>(windows, text);
        if (atom->Get() == 0)
            return Fail(context, kBadInput, "\"" + text + "\": the text cannot be passed (1 to 255 characters)");
    }
    if (!windows.Send(args.window, message, atom ? atom->Get() : 0, 0, kHandlingTimeoutMs))
        Fail(context, kNegative,
             "window " + std::to_string(args.window) + " did not handle \"" + name +
                 "\": it does not exist or did not answer within 5 s");
}

}  // namespace

void AddEventCommands(CLI::App& app, Context& context) {
    CLI::App* event = app.add_subcommand("event", "Custom events between programs and the loader's page");
    event->require_subcommand(1);
    auto args = std::make_shared<EventArguments>();
    CLI::App* send = event->add_subcommand(
        "send", "Send a custom event to a window, as a program started by the loader does, and wait for it");
    send->add_option("HWND", args->window,
                     "The window's handle in decimal, as in the product directory's ~OcxHWnd.txt")
        ->required();
    send->add_option("NAME[?TEXT]", args->event,
                     "The event's name (registered as a window message), then optionally \"?\" and a text of up to "
                     "255 characters that goes with it as a global atom")
        ->required();
    send->footer(
        "The window looks the name up among the custom events its page defined, without regard to case, and "
        "fires the page's event with the text. vexa waits up to 5 s for the window to handle it. The job fails "
        "(exit 1) when no such window handles it in time; a name or text the system refuses is bad input (2).");
    send->callback([&context, args] { Send(context, *args); });
}

}  // namespace vexa::cli
