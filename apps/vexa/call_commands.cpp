// vexa call: any dispatch method of a control, by name, with the events it raises.

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>

#include "apps/vexa/cabinet_host.hpp"
#include "apps/vexa/commands.hpp"
#include "apps/vexa/console_site.hpp"
#include "cabinet/cab_dispatch.hpp"
#include "download/dnld_dispatch.hpp"
#include "loader/loader_dispatch.hpp"

namespace vexa::cli {
namespace {

// A control created for one call, reached through its dispatch table.
class CalledControl {
public:
    virtual ~CalledControl() = default;
    virtual std::vector<const MethodInfo*> Methods() const = 0;
    virtual const std::vector<EventEntry>& Events() const = 0;
    virtual InvokeResult Invoke(const MethodInfo& method, const std::vector<Value>& arguments) = 0;
    // Runs the control's messages until the jobs it started have ended.
    virtual void RunUntilJobsEnd() = 0;
};

// The table's side of a called control; `Target` is the control the calls reach.
template <typename Control, const DispatchTable<Control>& (*table)()>
class TableControl : public CalledControl {
public:
    std::vector<const MethodInfo*> Methods() const override {
        std::vector<const MethodInfo*> methods;
        for (const auto& method : table().Methods()) methods.push_back(&method);
        return methods;
    }
    const std::vector<EventEntry>& Events() const override { return table().Events(); }
    InvokeResult Invoke(const MethodInfo& method, const std::vector<Value>& arguments) override {
        return vexa::Invoke(Target(), static_cast<const MethodEntry<Control>&>(method), arguments);
    }

private:
    virtual Control& Target() = 0;
};

class CalledCabinetControl final : public TableControl<VexaCB, VexaCBDispatch> {
public:
    CalledCabinetControl(Platform& platform, EventSink& events) : host_(platform, events) {}
    void RunUntilJobsEnd() override { host_.RunUntilJobEnds(); }

private:
    VexaCB& Target() override { return host_.Control(); }
    CabinetHost host_;
};

// A run that a call starts is played until it has ended or its program has started; the
// control closes the script as it goes with the call.
class CalledLoaderControl final : public TableControl<loader::VexaLoader, loader::VexaLoaderDispatch> {
public:
    CalledLoaderControl(Platform& platform, EventSink& events) : platform_(platform), control_(platform, site_, events) {}
    void RunUntilJobsEnd() override {
        auto ended = [this] { return !control_.IsScriptRunning() || !control_.GetProductDirectory().empty(); };
        while (!ended()) platform_.windows.RunUntil(ended, 250);
    }

private:
    loader::VexaLoader& Target() override { return control_; }
    Platform& platform_;
    ConsoleSite site_;
    loader::VexaLoader control_;
};

// Installs and downloads end with their one final event, requests with theirs.
class CalledDownloadControl final : public TableControl<download::VexaDnld, download::VexaDnldDispatch> {
public:
    CalledDownloadControl(Platform& platform, EventSink& events) : platform_(platform), control_(platform, events) {}
    void RunUntilJobsEnd() override {
        auto ended = [this] { return !control_.Busy() && !control_.RequestsPending(); };
        while (!ended()) platform_.windows.RunUntil(ended, 250);
    }

private:
    download::VexaDnld& Target() override { return control_; }
    Platform& platform_;
    download::VexaDnld control_;
};

template <typename Control>
std::unique_ptr<CalledControl> Create(Platform& platform, EventSink& events) {
    return std::make_unique<Control>(platform, events);
}

struct ControlClass {
    std::string_view progId;
    std::unique_ptr<CalledControl> (*create)(Platform&, EventSink&);
};

const ControlClass kControls[] = {
    {kVexaCBProgId, Create<CalledCabinetControl>},
    {loader::kVexaLoaderProgId, Create<CalledLoaderControl>},
    {download::kVexaDnldProgId, Create<CalledDownloadControl>},
};

const ControlClass* FindControl(std::string_view progId) {
    for (const ControlClass& control : kControls)
        if (EqualsIgnoreCase(control.progId, progId)) return &control;
    return nullptr;
}

// bool SelectFiles(string Filter, bool RecurseSubdirectories, long MaxNumSubDirectories)
std::string Signature(std::string_view result, std::string_view name, const std::vector<Parameter>& parameters) {
    std::ostringstream text;
    text << result << (result.empty() ? "" : " ") << name << "(";
    for (std::size_t i = 0; i < parameters.size(); ++i)
        text << (i > 0 ? ", " : "") << TypeName(parameters[i].type) << " " << parameters[i].name;
    text << ")";
    return text.str();
}

void List(const std::string& progId, const CalledControl& control) {
    std::cout << progId << " methods:\n";
    for (const MethodInfo* method : control.Methods())
        std::cout << "  " << method->id << "\t" << Signature(TypeName(method->result), method->name, method->parameters)
                  << '\n';
    std::cout << "events:\n";
    for (const EventEntry& event : control.Events())
        std::cout << "  " << event.id << "\t" << Signature("", event.name, event.parameters) << '\n';
}

std::optional<std::vector<Value>> Arguments(Context& context, const MethodInfo& method,
                                            const std::vector<std::string>& texts) {
    if (texts.size() != method.parameters.size()) {
        Fail(context, kBadInput,
             std::string(method.name) + " takes " + std::to_string(method.parameters.size()) +
                 " arguments: " + Signature("", method.name, method.parameters));
        return std::nullopt;
    }
    std::vector<Value> arguments;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const Parameter& parameter = method.parameters[i];
        auto value = ParseValue(parameter.type, texts[i]);
        if (!value) {
            Fail(context, kBadInput,
                 std::string(parameter.name) + " must be a " + std::string(TypeName(parameter.type)) + ", not \"" +
                     texts[i] + "\"");
            return std::nullopt;
        }
        arguments.push_back(std::move(*value));
    }
    return arguments;
}

const MethodInfo* FindMethod(const CalledControl& control, const std::string& name) {
    for (const MethodInfo* method : control.Methods())
        if (EqualsIgnoreCase(method->name, name)) return method;
    return nullptr;
}

// The controls name the events that end a job that failed or was cancelled so:
// MakeCabError, ExpandCabCancel, ScriptError, InstallWasCanceled.
bool EndsFailedJob(std::string_view event) {
    return event.ends_with("Error") || event.ends_with("Cancel") || event.ends_with("Canceled");
}

// "M1 a -- M2 b c" is the calls {M1 a} and {M2 b c}.
std::vector<std::vector<std::string>> CallsOf(const std::vector<std::string>& words) {
    std::vector<std::vector<std::string>> calls(1);
    for (const std::string& word : words) {
        if (word == "--")
            calls.emplace_back();
        else
            calls.back().push_back(word);
    }
    return calls;
}

// Every call is checked before the first is made, so bad input does nothing.
using CheckedCall = std::pair<const MethodInfo*, std::vector<Value>>;
std::optional<std::vector<CheckedCall>> CheckCalls(Context& context, const std::string& progId,
                                                   const CalledControl& control,
                                                   const std::vector<std::vector<std::string>>& calls) {
    std::vector<CheckedCall> checked;
    for (const auto& call : calls) {
        if (call.empty()) {
            Fail(context, kBadInput, "a method name must follow every \"--\"");
            return std::nullopt;
        }
        const MethodInfo* method = FindMethod(control, call.front());
        if (!method) {
            Fail(context, kBadInput, progId + " has no method " + call.front() + " (see --list)");
            return std::nullopt;
        }
        auto arguments = Arguments(context, *method, {call.begin() + 1, call.end()});
        if (!arguments) return std::nullopt;
        checked.emplace_back(method, std::move(*arguments));
    }
    return checked;
}

void Call(Context& context, const std::string& progId, bool list, const std::vector<std::string>& rest) {
    const ControlClass* controlClass = FindControl(progId);
    if (!controlClass) return Fail(context, kBadInput, "no control with the ProgID " + progId);
    EventFunction events([&context](const EventEntry& event, const std::vector<Value>& arguments) {
        std::cout << EventLine(event, arguments) << std::endl;
        if (EndsFailedJob(event.name)) context.exitCode = std::max<int>(context.exitCode, kNegative);
    });
    auto control = controlClass->create(context.platform(), events);
    if (list || rest.empty()) return List(std::string(controlClass->progId), *control);

    auto calls = CheckCalls(context, progId, *control, CallsOf(rest));
    if (!calls) return;
    for (const auto& [method, arguments] : *calls) {
        InvokeResult result = control->Invoke(*method, arguments);
        if (result.status != InvokeStatus::Done)
            return Fail(context, kNegative, std::string(method->name) + " failed");
        if (method->result != ValueType::Empty) std::cout << FormatValue(result.value) << std::endl;
        control->RunUntilJobsEnd();
    }
}

}  // namespace

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
    return quoted + "\"";
}

// MakeCabDone("out.cab", 1200, 300)
std::string EventLine(const EventEntry& event, const std::vector<Value>& arguments) {
    std::string line = std::string(event.name) + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) line += ", ";
        line += TypeOf(arguments[i]) == ValueType::String ? Quoted(std::get<std::string>(arguments[i]))
                                                          : FormatValue(arguments[i]);
    }
    return line + ")";
}

void AddCallCommand(CLI::App& app, Context& context) {
    struct CallArguments {
        std::string progId;
        bool list = false;
    };
    auto args = std::make_shared<CallArguments>();
    CLI::App* call = app.add_subcommand("call", "Call a dispatch method of a control and print its result and events");
    call->add_option("PROGID", args->progId,
                     "The control's ProgID: VEXACB.VexaCBCtrl.1 (cabinets), VEXALOAD.VexaLoaderCtrl.1 (the loader) "
                     "or VEXADNLD.VexaDnldCtrl.1 (downloads, server scripts, variable files)")
        ->required();
    call->add_flag("--list", args->list, "List the control's methods and events");
    call->footer(
        "Usage: vexa call PROGID METHOD ARGS... [-- METHOD ARGS...]...\n"
        "The arguments follow the method's parameters: a bool is true or false, a long or a double a decimal\n"
        "number. Calls separated by \"--\" go to one control, one after the other; each call's result is\n"
        "printed, then every event the control raises, one a line, until its jobs end, before the next call:\n"
        "  vexa call VEXADNLD.VexaDnldCtrl.1 SetCgiField a 1 -- SendFieldsToCgi http://host/cgi POST\n"
        "  vexa call VEXACB.VexaCBCtrl.1 OpenCabForExpansion x.cab -- ExpandCabFile out\n"
        "Every call is checked first: a bad one is refused (exit 2) before any is made. A method that fails,\n"
        "or a job that ends in an error or cancel event (ExpandCabError, InstallWasCanceled), makes the exit\n"
        "status 1 and, for a failed method, stops the calls. A text argument may be empty (\"\").");
    // Everything after the method name is an argument, even what looks like an option ("-1").
    call->prefix_command();
    call->callback([&context, args, call] { Call(context, args->progId, args->list, call->remaining()); });
}

}  // namespace vexa::cli
