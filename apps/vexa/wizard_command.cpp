// vexa wizard build: the page wizard's steps without a window. The answers come from the
// project's saved settings and the options; each step's checks run as the window runs them,
// and Finish builds the release.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "apps/vexa/commands.hpp"
#include "apps/vexa/wizard_console.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"
#include "wizard/vexa_web_express.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;
using wizard::VexaWebExpress;

struct WizardArguments {
    std::string program;
    std::string wizardDir;
    std::optional<std::string> webSite, exe, exeParameters, publicationUrl, activeXUrl;
    std::optional<std::string> page, title, standAlone;
    std::vector<std::string> exclude, include, ocx, dll, dropComponents, signCode;
    bool noSignCode = false, single = false, multi = false, yes = false;
};

}  // namespace

std::string WizardDirectory(const std::string& option) {
    if (!option.empty()) return fs::absolute(option).string();
    if (const char* variable = std::getenv("VEXA_WIZARD_DIR"); variable && *variable) return variable;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error).parent_path();
    for (const fs::path& candidate : {program / "../share/vexaweb", program / "../../share/vexaweb"})
        if (fs::is_directory(candidate, error)) return fs::weakly_canonical(candidate, error).string();
    return (program / "../share/vexaweb").lexically_normal().string();
}

namespace {

bool Matches(const std::string& pattern, const std::string& entry) {
    const std::string wanted = FormatPath(pattern);
    if (wanted.find('\\') != std::string::npos) return MatchesWildcard(wanted, entry);
    return MatchesWildcard(wanted, entry.substr(entry.find_last_of('\\') + 1));
}

class Build {
public:
    Build(Context& context, const WizardArguments& args)
        : context_(context),
          args_(args),
          console_(context.platform(), args.wizardDir, args.yes),
          ui_(console_.ui),
          wizard_(console_.wizard) {}

    void Run() {
        CancelOnInterrupt cancels;
        if (!wizard_.Start()) return Fail(context_, kNegative, "the wizard cannot start here");
        if (Steps() && wizard_.cmdFinish_Click()) {
            std::cout << ReplaceAll(wizard_.txtFinalMessage, "\r\n", "\n") << std::endl;
            return;
        }
        context_.exitCode = std::max(context_.exitCode, static_cast<int>(kNegative));
        if (CancelOnInterrupt::Requested()) std::cerr << "vexa: interrupted\n";
    }

private:
    // Each step's answers, then Next with its checks; false when a check held the step.
    bool Steps() {
        return Step1() && Next() && Step2() && Next() && Step3() && Next() && Step4() && Next() && Step5() &&
               Next() && Step6();
    }

    bool Next() {
        const int step = wizard_.CurrentStep;
        if (wizard_.enabled.cmdNext) wizard_.cmdNext_Click();
        return wizard_.CurrentStep == step + 1;
    }

    bool Step1() {
        wizard_.cmdNext_Click();
        ui_.folder = fs::absolute(args_.program).lexically_normal().string();
        wizard_.cmdSelectDirectory_Click();
        if (wizard_.txtDirectoryName.empty()) return false;
        if (args_.webSite) wizard_.txtWebSiteURL = *args_.webSite;
        return true;
    }

    bool Step2() {
        for (int i = 0; i < wizard_.List1.size(); ++i) {
            const std::string& entry = wizard_.List1.entries[i].text;
            auto any = [&](const std::vector<std::string>& patterns) {
                return std::any_of(patterns.begin(), patterns.end(), [&](auto& p) { return Matches(p, entry); });
            };
            if (any(args_.include)) wizard_.List1_ItemCheck(i, true);
            if (any(args_.exclude)) wizard_.List1_ItemCheck(i, false);
        }
        if (wizard_.enabled.cmdNext) return true;
        ui_.ShowMessage("Before you can move to the next step, you must select at least one file and at least one of "
                        "the files you select must be an EXE file.", {});
        return false;
    }

    bool Step3() {
        if (args_.exe) {
            const std::string wanted = FormatPath(*args_.exe);
            int found = -1;
            for (int i = 0; i < wizard_.List3.size(); ++i)
                if (EqualsIgnoreCase(wizard_.List3.entries[i], wanted)) found = i;
            if (found < 0) {
                Fail(context_, kBadInput, *args_.exe + ": not one of the program's selected EXE files");
                return false;
            }
            wizard_.List3_Click(found);
        }
        if (args_.exeParameters) wizard_.txtExeParas = *args_.exeParameters;
        return true;
    }

    bool Step4() {
        if (args_.activeXUrl) wizard_.txtActiveXUrl = *args_.activeXUrl;
        if (args_.publicationUrl) wizard_.txtPublicationURL = *args_.publicationUrl;
        wizard_.UrlBoxes_Change();
        return true;
    }

    bool Step5() {
        for (const std::string& drop : args_.dropComponents) {
            const std::string path = fs::absolute(drop).lexically_normal().string();
            // The loader's own entry, the first of the OCX list, stays.
            for (int i = wizard_.lstOCX.size() - 1; i >= 1; --i) {
                if (!EqualsIgnoreCase(wizard_.lstOCX.entries[i], path)) continue;
                wizard_.lstOCX_Click(i);
                wizard_.cmdRemoveOcx_Click();
            }
            for (int i = wizard_.lstDLL.size() - 1; i >= 0; --i) {
                if (!EqualsIgnoreCase(wizard_.lstDLL.entries[i], path)) continue;
                wizard_.lstDLL.selected = i;
                wizard_.cmdRemoveDll_Click();
            }
        }
        const int before = ui_.messages;
        for (const std::string& ocx : args_.ocx) {
            ui_.file = fs::absolute(ocx).lexically_normal().string();
            wizard_.cmdAddOcx_Click();
        }
        for (const std::string& dll : args_.dll) {
            ui_.file = fs::absolute(dll).lexically_normal().string();
            wizard_.cmdAddDll_Click();
        }
        return ui_.messages == before;
    }

    bool Step6() {
        if (args_.page) wizard_.txtHtmlFilenameNoPath = *args_.page;
        if (args_.title) wizard_.txtHtmlTitle = *args_.title;
        if (args_.standAlone) wizard_.txtStandAloneExeFilenameNoPath = *args_.standAlone;
        if (args_.single) wizard_.chkCreateMultiProgramCabs = false;
        if (args_.multi) wizard_.chkCreateMultiProgramCabs = true;
        if (args_.noSignCode) wizard_.txtSignCodeCommands.clear();
        if (!args_.signCode.empty()) {
            wizard_.txtSignCodeCommands.clear();
            for (const std::string& line : args_.signCode) wizard_.txtSignCodeCommands += line + "\r\n";
        }
        wizard_.txtHtmlFilename_Change();
        if (wizard_.enabled.cmdFinish) return true;
        ui_.ShowMessage("Type the name of the resultant HTML page.", {});
        return false;
    }

    Context& context_;
    const WizardArguments& args_;
    ConsoleWizard console_;
    WizardConsoleUi& ui_;
    VexaWebExpress& wizard_;
};

void BuildRelease(Context& context, const WizardArguments& args) {
    std::error_code error;
    if (!fs::is_directory(args.program, error))
        return Fail(context, kBadInput, args.program + ": " + (fs::exists(args.program, error) ? "not a directory" : "no such directory"));
    if (args.single && args.multi) return Fail(context, kBadInput, "--single-cab and --multi-cab exclude each other");
    if (args.noSignCode && !args.signCode.empty())
        return Fail(context, kBadInput, "--no-sign-code and --sign-code exclude each other");
    Build(context, args).Run();
}

}  // namespace

void AddWizardCommands(CLI::App& app, Context& context) {
    CLI::App* wizard = app.add_subcommand(
        "wizard", "The page wizard: turn a program directory into a web release, step by step on a terminal");
    wizard->require_subcommand(0, 1);
    auto terminal = std::make_shared<std::pair<std::string, std::string>>();
    wizard->add_option("PROGRAM-DIR", terminal->first, "The directory of the program and all its files");
    wizard->add_option("--wizard-dir", terminal->second,
                       "The wizard's own directory (default: $VEXA_WIZARD_DIR, else share/vexaweb beside the program)");
    wizard->footer(
        "Each step shows its fields with what the wizard filled in: type an answer, or Enter to keep it and go\n"
        "on; \"<\" goes back a step and \"q\" leaves. Step 2 takes +PATTERN and -PATTERN to select files and leave\n"
        "them out (a path relative to PROGRAM-DIR or a file name, * and ? as wildcards), all, none, selected and\n"
        "list; step 5 takes ocx PATH, dll PATH, remove-ocx N and remove-dll N. Finish shows the work as it goes\n"
        "and asks before an earlier release is replaced. Without a terminal, use `vexa wizard build`.");
    wizard->callback([&context, wizard, terminal] {
        if (!wizard->get_subcommands().empty()) return;
        if (terminal->first.empty()) return Fail(context, kBadInput, "name the program directory: vexa wizard PROGRAM-DIR");
        RunTerminalWizard(context, terminal->first, terminal->second);
    });
    auto args = std::make_shared<WizardArguments>();
    CLI::App* build = wizard->add_subcommand(
        "build", "Convert a program directory into a web page program without a window: the wizard's steps "
                 "with their checks, then Finish");
    build->add_option("PROGRAM-DIR", args->program, "The directory of the program and all its files")->required();
    build->add_option("--wizard-dir", args->wizardDir,
                      "The wizard's own directory, with VexaLoad.ocx, VexaLoad.cab, VexaStandAloneWebProg.exe, "
                      "HtmlTemplates/Template01.htm and the global defaults (default: $VEXA_WIZARD_DIR, else "
                      "share/vexaweb beside the program)");
    build->add_option("--web-site", args->webSite, "Step 1: the URL of your web site");
    build->add_option("--exclude", args->exclude,
                      "Step 2: leave out the files matching this pattern (a path relative to PROGRAM-DIR, or a "
                      "file name; * and ? as wildcards; repeatable)");
    build->add_option("--include", args->include, "Step 2: take the files matching this pattern (repeatable)");
    build->add_option("--exe", args->exe, "Step 3: the program to run, relative to PROGRAM-DIR");
    build->add_option("--exe-params", args->exeParameters,
                      "Step 3: its parameters as the script carries them, each in double quotes, separated by "
                      "commas: '\"a\", \"b\"'");
    build->add_option("--publication-url", args->publicationUrl, "Step 4: where you will publish the web page");
    build->add_option("--activex-url", args->activeXUrl, "Step 4: where the OCX and DLL cabinets are stored");
    build->add_option("--ocx", args->ocx, "Step 5: add a registered control (or registerable library; repeatable)");
    build->add_option("--dll", args->dll, "Step 5: add a library that needs no registration (repeatable)");
    build->add_option("--drop", args->dropComponents, "Step 5: remove a saved OCX or DLL entry (repeatable)");
    build->add_option("--page", args->page, "Step 6: the name of the HTML page (.htm or .html)");
    build->add_option("--title", args->title, "Step 6: the page's title");
    build->add_option("--stand-alone", args->standAlone, "Step 6: the name of the stand-alone exe web program");
    build->add_flag("--single-cab", args->single, "Step 6: one program cabinet, Prog1.cab, for every file");
    build->add_flag("--multi-cab", args->multi,
                    "Step 6: one cabinet per file, large ones in pieces (\"Minimize Download Time\", the default)");
    build->add_option("--sign-code", args->signCode,
                      "Step 6: a sign-code command run when done, %1 the script cabinet, %2 the title; the program "
                      "is named by its path (repeatable, one command each)");
    build->add_flag("--no-sign-code", args->noSignCode, "Step 6: run no sign-code command");
    build->add_flag("--yes", args->yes, "Answer Yes to \"Updating Release Files\" (otherwise the terminal asks)");
    build->footer(
        "Answers not given come from the project's saved settings (PROGRAM-DIR/VexaWizardWebExpressProject),\n"
        "the global defaults and the defaults each step fills in. The release is written to the project's\n"
        "Release and ReleaseActiveX directories, and the settings are saved once it is made. Ctrl-C cancels.\n"
        "A check that holds a step or a failed build prints its message (exit 1).");
    build->callback([&context, args] { BuildRelease(context, *args); });
}

}  // namespace vexa::cli
