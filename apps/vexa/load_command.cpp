// vexa load: plays a web page that embeds the loader control, as a browser would.

#include <atomic>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>
#include <regex>

#include "apps/vexa/commands.hpp"
#include "apps/vexa/console_site.hpp"
#include "apps/vexa/fetch_window.hpp"
#include "common/text.hpp"
#include "loader/loader_dispatch.hpp"
#include "loader/vexa_loader.hpp"
#include "platform/posix/policy_trust.hpp"

namespace vexa::cli {
namespace {

struct LoadArguments {
    std::string page;
    std::string trust = "ask";
    std::int32_t executeType = loader::kStartOnly;
    int stallSeconds = loader::kStallCountdown;
};

std::atomic<bool> interrupted{false};

// What the page learns of the control: its events, printed one per line.
class PageEvents final : public EventSink {
public:
    void Attach(loader::VexaLoader& control) { control_ = &control; }
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override {
        if (event.id == loader::kScriptDone) done = true;
        if (event.id == loader::kScriptError) failed = true;
        std::string line = EventLine(event, arguments);
        if (event.id == loader::kCustomEvent) line += " with " + Quoted(control_->GetCustomEventPara());
        std::cout << line << std::endl;
    }
    bool done = false;
    bool failed = false;

private:
    loader::VexaLoader* control_ = nullptr;
};

// The page as the control needs it: that it embeds the loader, the script it runs and
// the DefaultURL it gives the control.
struct Page {
    bool embedsLoader = false;
    std::string script;
    std::string defaultUrl;
};

Page ReadPage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string html{std::istreambuf_iterator<char>(in), {}};
    Page page;
    page.embedsLoader =
        FindIgnoreCase(html, std::string(loader::kVexaLoaderClassId).substr(1, 36)) != std::string::npos;
    std::smatch match;
    if (std::regex_search(html, match, std::regex(R"(RunScript\s*\(\s*["']([^"']*)["'])", std::regex::icase)))
        page.script = match[1];
    if (std::regex_search(html, match,
                          std::regex(R"(<param\s+name\s*=\s*["']DefaultURL["']\s+value\s*=\s*["']([^"']*)["'])",
                                     std::regex::icase)))
        page.defaultUrl = match[1];
    return page;
}

// The progress window, as a line on standard error that follows its model.
void ShowProgress(loader::ProgressWindow* window, Progress& progress) {
    if (!window) return;
    const loader::ProgressWindowModel& model = window->Model();
    std::string line = model.status + "  " + model.overallText;
    if (!model.rateText.empty()) line += "  " + model.rateText + ", " + model.timeLeftText + " left";
    progress.Show(line, static_cast<std::uint64_t>(model.overallPercent), 100);
}

bool ProgramEnded(Platform& platform, loader::VexaLoader& control) {
    std::uint64_t process = static_cast<std::uint64_t>(ReadLeadingNumber(control.GetCustomVar()));
    return process == 0 || !platform.processes.IsActive(static_cast<ProcessHandle>(process));
}

// Runs the control until the run has ended (failed, cancelled, or waiting for a restart),
// the started program ends (start only), or Ctrl-C. Ctrl-C before the program has started
// cancels the run as the progress window's Cancel would.
void Play(Platform& platform, loader::VexaLoader& control, PageEvents& events, bool startOnly) {
    Progress progress;
    auto finished = [&] {
        return !control.IsScriptRunning() || (events.done && (interrupted || (startOnly && ProgramEnded(platform, control))));
    };
    bool cancelled = false;
    while (!finished()) {
        if (interrupted && !cancelled) {
            cancelled = true;
            progress.Break();
            platform.windows.Post(control.Window(), loader::kRunCancel, 0, 0);
        }
        // A program's end posts nothing to the control: once it runs, look at it often,
        // from the moment it has started.
        const bool programRuns = events.done && startOnly;
        platform.windows.RunUntil(
            [&] { return finished() || (interrupted && !cancelled) || (events.done && startOnly) != programRuns; },
            programRuns ? 5 : 250);
        if (!events.done && !cancelled) ShowProgress(control.Driver().Progress(), progress);
    }
    progress.Break();
}

void Load(Context& context, const LoadArguments& args) {
    auto policy = PolicyTrust::Parse(args.trust);
    if (!policy) return Fail(context, kBadInput, "--trust takes ask, yes or no, not " + args.trust);
    Platform& native = context.platform();
    loader::LocalCache cache(native.files, native.clock, native.registry, native.shell.FolderPath(SpecialFolder::Windows));
    if (cache.GetTempFolder().empty()) return Fail(context, kBadInput, "the temporary folder cannot be made");
    auto fetched = FetchWindow(native, cache.GetTempFolder(), "fetching the page").Fetch(args.page);
    if (!fetched) return Fail(context, kNegative, "cannot fetch the page " + args.page);
    Page page = ReadPage(*fetched);
    if (!page.embedsLoader) return Fail(context, kBadInput, args.page + ": the page does not embed the loader control");
    if (page.script.empty()) return Fail(context, kBadInput, args.page + ": the page names no script (RunScript)");

    PolicyTrust trust(*policy, native.ui);
    Platform platform{native.files,    native.clock,    native.windows,  native.ui,     native.components,
                      native.shell,    native.registry, native.internet, trust,         native.processes};
    ConsoleSite site;
    PageEvents events;
    loader::VexaLoader control(platform, site, events);
    events.Attach(control);
    control.defaultUrl = page.defaultUrl;
    control.Test1();
    control.DefineCustomEvent("GOTO URL");
    control.DefineCustomEvent("PREVIOUS PAGE");
    control.SetCurrentUrl(args.page);
    control.SetExecuteType(args.executeType);
    control.Driver().SetStallSeconds(args.stallSeconds);
    interrupted = false;
    auto previous = std::signal(SIGINT, [](int) { interrupted = true; });
    if (control.RunScript(page.script)) Play(platform, control, events, args.executeType == loader::kStartOnly);
    control.CloseScript();
    std::signal(SIGINT, previous);
    if (!events.done || interrupted) context.exitCode = std::max(context.exitCode, int(kNegative));
}

}  // namespace

void AddLoadCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<LoadArguments>();
    CLI::App* load = app.add_subcommand("load", "Play a web page program's page as a browser with the loader would");
    load->add_option("PAGE-URL", args->page, "The page: http://, https:// or file:// URL")->required();
    load->add_option("--trust", args->trust, "Answer to the script's certificate check: ask (on the terminal), yes or no")
        ->capture_default_str();
    load->add_option("--execute-type", args->executeType,
                     "100 starts the program and waits until it ends; any other value lets the control manage "
                     "it (started again when it ends) until Ctrl-C")
        ->capture_default_str();
    load->add_option("--stall-seconds", args->stallSeconds,
                     "Seconds without data before a transfer is asked for again from the start")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    load->footer(
        "The page must embed the loader control by its class id and call RunScript. The control's events are "
        "printed one per line (ScriptDone(), ScriptError(0, \"\"), CustomEvent(\"GOTO URL\") with \"<text>\", "
        "MiscEvent(\"REBOOT\")); progress and the error window go to standard error. At the end, or on "
        "Ctrl-C, the script is closed: the program ends and its product directory is removed. Exit status: 0 "
        "after ScriptDone, 1 after ScriptError or Ctrl-C, 2 bad input.");
    load->callback([&context, args] { Load(context, *args); });
}

}  // namespace vexa::cli
