// vexa restart [--apply]: what waits for the next restart of the prefix's machine, and
// that restart: the replacements of files that were in use when they were installed.

#include <filesystem>
#include <iostream>
#include <memory>

#include "apps/vexa/commands.hpp"
#include "platform/posix/pending_renames.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;

void List(PendingRenames& pending) {
    std::cout << "restart requested: " << (pending.RestartRequested() ? "yes" : "no") << '\n';
    auto renames = pending.List();
    if (renames.empty()) std::cout << "no replacements pending\n";
    for (const PendingRename& rename : renames) {
        if (rename.replacement.empty()) {
            std::cout << "pending: delete " << rename.target << '\n';
        } else {
            std::cout << "pending: replace " << rename.target << " with " << rename.replacement << '\n';
        }
    }
}

// As Windows does at start-up: delete the target, then rename the replacement to it.
std::error_code Replace(const PendingRename& rename) {
    std::error_code error;
    fs::remove(rename.target, error);
    if (!error && !rename.replacement.empty()) fs::rename(rename.replacement, rename.target, error);
    return error;
}

// Each replacement is tried once, as at a real restart; the list and the request go either way.
void Apply(Context& context, PendingRenames& pending) {
    auto renames = pending.List();
    if (renames.empty()) std::cout << "no replacements pending\n";
    for (const PendingRename& rename : renames) {
        if (std::error_code error = Replace(rename)) {
            Fail(context, kNegative,
                 "cannot replace " + rename.target + " with " + rename.replacement + ": " + error.message());
        } else if (rename.replacement.empty()) {
            std::cout << "deleted " << rename.target << '\n';
        } else {
            std::cout << "replaced " << rename.target << " with " << rename.replacement << '\n';
        }
    }
    if (pending.RestartRequested()) std::cout << "restart request cleared\n";
    if (!pending.Clear()) Fail(context, kNegative, "the pending replacements cannot be forgotten");
}

}  // namespace

void AddRestartCommand(CLI::App& app, Context& context) {
    CLI::App* restart = app.add_subcommand("restart", "See or carry out what waits for the next restart");
    auto apply = std::make_shared<bool>(false);
    restart->add_flag("--apply", *apply,
                      "Carry out the pending replacements in order, then forget them and the restart request");
    restart->footer(
        "A file that is in use when it is installed is replaced at the next restart, and a run may ask for "
        "that restart. On this system nothing restarts: both are recorded in the registry of the prefix that "
        "VEXA_PREFIX names. Without --apply the command lists them. With --apply each replacement deletes "
        "its target and renames the new file to it, as Windows does at start-up; each is tried once, and "
        "the job fails (exit 1) if one failed.");
    restart->callback([&context, apply] {
        PendingRenames pending(context.platform().registry);
        if (*apply) {
            Apply(context, pending);
        } else {
            List(pending);
        }
    });
}

}  // namespace vexa::cli
