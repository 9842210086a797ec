// vexa load: plays a web page that embeds the loader control, as a browser would, or the
// web page program of a stand-alone program, as that program would.

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "apps/vexa/commands.hpp"
#include "apps/vexa/console_site.hpp"
#include "apps/vexa/fetch_window.hpp"
#include "common/text.hpp"
#include "loader/loader_dispatch.hpp"
#include "common/url.hpp"
#include "loader/page.hpp"
#include "loader/stand_alone.hpp"
#include "loader/url_transfer.hpp"
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

// What is played: a page's address, the script it runs and the control's DefaultURL, or
// the web page program that a stand-alone program's attachment names.
struct Visit {
    std::string pageUrl;
    std::string script;
    std::string defaultUrl;
    std::optional<loader::StandAloneAttachment> standAlone;
};

std::atomic<bool> interrupted{false};

// Ctrl-C, a closed terminal and a polite kill (SIGTERM, as `timeout` sends) all end the
// visit the same way: the script is closed, so the program ends and its product
// directory goes. The earlier handlers come back afterwards.
class StopSignals {
public:
    StopSignals() {
        interrupted = false;
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            previous_[i] = std::signal(kSignals[i], [](int) { interrupted = true; });
    }
    ~StopSignals() {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) std::signal(kSignals[i], previous_[i]);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    void (*previous_[std::size(kSignals)])(int) = {};
};

// What the page learns of the control: its events, printed one per line. An error comes
// just after the error window's text, which its cause follows when the control knows one.
class PageEvents final : public EventSink {
public:
    void Attach(loader::VexaLoader& control) { control_ = &control; }
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override {
        if (event.id == loader::kScriptDone) done = true;
        if (event.id == loader::kScriptError) failed = true;
        if (event.id == loader::kScriptError && !control_->Driver().FailureCause().empty())
            std::cerr << CauseLine(control_->Driver().FailureCause()) << std::endl;
        std::string line = EventLine(event, arguments);
        if (event.id == loader::kCustomEvent) line += " with " + Quoted(control_->GetCustomEventPara());
        std::cout << line << std::endl;
    }
    bool done = false;
    bool failed = false;

private:
    loader::VexaLoader* control_ = nullptr;
};

// The fetched page's text; empty with `error` set when it is too large or unreadable.
std::optional<std::string> ReadPageText(const std::string& path, std::string& error) {
    std::error_code failure;
    // A file:// page may name anything: only a regular file is read, so a fifo or a device
    // can neither hold the host up nor fill its memory.
    const std::uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        error = "the fetched page cannot be read: " + failure.message();
        return std::nullopt;
    }
    if (size > loader::kPageSizeLimit) {
        error = "the page is larger than " + std::to_string(loader::kPageSizeLimit >> 20) + " MiB";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string html{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) {
        error = "the fetched page cannot be read";
        return std::nullopt;
    }
    return html;
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
// the started program ends (start only), or a stop signal. One before the program has
// started cancels the run as the progress window's Cancel would.
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

Visit StandAloneVisit(const loader::StandAloneAttachment& attachment) { return {{}, {}, {}, attachment}; }

// Why a file is no stand-alone program that can be played.
std::string StandAloneRefusal(const loader::AttachmentReading& reading) {
    if (reading.marked) return "the stand-alone web program's attachment is refused: " + reading.refusal;
    return reading.refusal + ", so it is no stand-alone web program (a page is given by its URL)";
}

// A local file is a stand-alone program, read before the machine is made.
std::optional<Visit> LocalVisit(Context& context, const std::string& path) {
    loader::AttachmentReading reading = loader::ReadStandAloneAttachment(context.files(), path);
    if (reading.attachment) return StandAloneVisit(*reading.attachment);
    std::error_code error;
    const bool opened = std::filesystem::is_regular_file(path, error);
    Fail(context, kBadInput,
         path + ": " + (opened ? StandAloneRefusal(reading) : "not a URL, and " + WhyUnreadable(path)));
    return std::nullopt;
}

// What the URL's content asks for: a stand-alone program when it ends with an attachment,
// otherwise a page that embeds the loader.
std::optional<Visit> FetchedVisit(Context& context, const std::string& url, const std::string& fetched) {
    loader::AttachmentReading reading = loader::ReadStandAloneAttachment(context.platform().files, fetched);
    if (reading.attachment) return StandAloneVisit(*reading.attachment);
    std::string refusal;
    if (reading.marked) refusal = StandAloneRefusal(reading);
    auto html = refusal.empty() ? ReadPageText(fetched, refusal) : std::nullopt;
    const loader::Page page = html ? loader::ReadPage(*html) : loader::Page{};
    if (html && !page.embedsLoader) refusal = "the page does not embed the loader control";
    if (html && page.embedsLoader && page.script.empty()) refusal = "the page names no script (RunScript)";
    if (refusal.empty()) return Visit{url, page.script, page.defaultUrl, std::nullopt};
    Fail(context, kBadInput, url + ": " + refusal);
    return std::nullopt;
}

// The page's address is refused before the machine is made, so a bad URL leaves no prefix.
std::optional<Visit> FindVisit(Context& context, const std::string& target) {
    if (!SplitUrl(target)) return LocalVisit(context, target);
    if (std::string refusal = loader::UrlRefusal(target); !refusal.empty()) {
        Fail(context, kBadInput, target + ": " + refusal);
        return std::nullopt;
    }
    Platform& native = context.platform();
    loader::LocalCache cache(native.files, native.clock, native.registry, native.shell.FolderPath(SpecialFolder::Windows));
    if (cache.GetTempFolder().empty()) {
        Fail(context, kNegative, "the temporary folder cannot be made");
        return std::nullopt;
    }
    FetchWindow window(native, cache.GetTempFolder(), "fetching the page");
    auto fetched = window.Fetch(target);
    if (!fetched) {
        Fail(context, kNegative, "cannot fetch the page " + target + "\n" + CauseLine(window.Cause()));
        return std::nullopt;
    }
    return FetchedVisit(context, target, *fetched);
}

void Load(Context& context, const LoadArguments& args) {
    auto policy = PolicyTrust::Parse(args.trust);
    if (!policy) return Fail(context, kBadInput, "--trust takes ask, yes or no, not " + args.trust);
    const std::optional<Visit> visit = FindVisit(context, args.page);
    if (!visit) return;

    Platform& native = context.platform();
    PolicyTrust trust(*policy, native.ui);
    Platform platform{native.files,    native.clock,    native.windows,  native.ui,     native.components,
                      native.shell,    native.registry, native.internet, trust,         native.processes};
    ConsoleSite site;
    PageEvents events;
    loader::VexaLoader control(platform, site, events);
    events.Attach(control);
    control.defaultUrl = visit->defaultUrl;
    control.SetExecuteType(args.executeType);
    control.Driver().SetStallSeconds(args.stallSeconds);
    {
        StopSignals stop;
        const bool started = visit->standAlone ? loader::CallAsAStandAloneProgram(control, *visit->standAlone)
                                               : loader::CallAsThePageDoes(control, visit->pageUrl, visit->script);
        if (started)
            Play(platform, control, events, args.executeType == loader::kStartOnly);
        control.CloseScript();
    }
    if (!events.done || interrupted) context.exitCode = std::max(context.exitCode, int(kNegative));
}

}  // namespace

void AddLoadCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<LoadArguments>();
    CLI::App* load = app.add_subcommand(
        "load", "Play a web page program's page as a browser with the loader would, or its stand-alone program");
    load->add_option("PAGE-URL", args->page,
                     "The page, or a stand-alone web program: an http://, https:// or file:// URL, or the local path "
                     "of a stand-alone program")
        ->required();
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
        "The page must embed the loader control by its class id and call RunScript. Content that ends with "
        "\"WEBPROG\" is a stand-alone web program, whatever its name: the five lines before that word (the ActiveX "
        "URL, the loader's version, the publication URL, the script cabinet's name, its short signature) name the "
        "script, which is played from the publication URL with the calls a page makes. The control's events are "
        "printed one per line (ScriptDone(), ScriptError(0, \"\"), CustomEvent(\"GOTO URL\") with \"<text>\", "
        "MiscEvent(\"REBOOT\")); progress and the error window go to standard error. At the end, or on "
        "Ctrl-C, SIGTERM or SIGHUP, the script is closed: the program ends and its product directory is removed. "
        "Exit status: 0 after ScriptDone, 1 after ScriptError or a stop signal, 2 bad input (also a page above "
        "16 MiB, a stand-alone program whose attachment is refused, or a local file that is no stand-alone "
        "program).");
    load->callback([&context, args] { Load(context, *args); });
}

}  // namespace vexa::cli
