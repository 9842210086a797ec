// vexa script: reading a script the way the loader does.

#include <iomanip>
#include <iostream>

#include "apps/vexa/commands.hpp"
#include "common/url.hpp"
#include "loader/script.hpp"

namespace vexa::cli {
namespace {

struct CheckOptions {
    std::string path;
    std::string defaultUrl;
    std::string pageUrl;
};

bool IsCommandLine(const ScriptLines& lines, std::size_t i) {
    std::string word = GetCommandWord(lines, i);
    return !word.empty() && word.front() != '\'';
}

void PrintCommands(const ScriptLines& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsCommandLine(lines, i)) continue;
        std::string word = GetCommandWord(lines, i);
        std::cout << "line " << i + 1 << ": " << word << (IsLoaderCommand(word) ? "" : "  (ignored by the loader)")
                  << '\n';
        for (int k = 1; k <= CountArguments(lines, i); ++k) {
            std::cout << std::setw(6) << k << "  " << GetArgument(lines, i, k) << '\n';
        }
    }
}

// A script the loader refuses is the check's answer, no; a script that cannot be read, or a
// page address that is no URL, is bad input.
void CheckScript(Context& context, const CheckOptions& options) {
    if (!options.pageUrl.empty() && !SplitUrl(options.pageUrl))
        return Fail(context, kBadInput, "--page-url: " + options.pageUrl + " is not a URL (http://, https://, file://)");
    ScriptLines lines;
    if (!LoadScriptLines(context.files(), options.path, lines)) {
        Fail(context, kBadInput,
             options.path + ": " + std::string(kCannotLoadScript) + " (" + WhyUnreadable(options.path) + ")");
        return;
    }
    std::string pageBase = options.pageUrl.empty() ? std::string{} : PageBaseUrl(options.pageUrl);
    std::string failure = PrepareScript(lines, options.defaultUrl, pageBase);
    if (!failure.empty()) {
        Fail(context, kNegative, options.path + ": " + failure);
        return;
    }
    std::cout << options.path << ": valid script\n";
    if (!pageBase.empty()) std::cout << "page base: " << pageBase << '\n';
    PrintCommands(lines);
}

}  // namespace

void AddScriptCommands(CLI::App& app, Context& context) {
    CLI::App* script = app.add_subcommand("script", "Work with web page program scripts");
    script->require_subcommand(1);

    auto options = std::make_shared<CheckOptions>();
    CLI::App* check = script->add_subcommand(
        "check",
        "Load a script as the loader does: check its header, put the default URL and the page's\n"
        "address into its cabinet names, check its product directory, and print every command\n"
        "line with its numbered arguments. Exit 0 for a valid script, 1 with the loader's message for one\n"
        "it refuses.");
    check->add_option("FILE", options->path, "Script text (Script.txt)")->required();
    check->add_option("--default-url", options->defaultUrl, "The loader's DefaultURL: what <DEFAULTURL> stands for");
    check->add_option("--page-url", options->pageUrl,
                      "Address of the page that runs the script; cabinet names become URLs next to it");
    check->callback([&context, options] { CheckScript(context, *options); });
}

}  // namespace vexa::cli
