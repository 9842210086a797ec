#pragma once
// `vexa load` run on a page as a user would: the control's events, one per line on
// standard output, told apart from the progress on standard error.

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {

struct LoadOutcome {
    int status;
    std::vector<std::string> events;  // "ScriptDone()", "CustomEvent(\"GOTO URL\") with \"...\""
    std::string progress;
};

// Until the loader's console host lands, the cases skip rather than fail. The toolbox's
// help lists its commands ("  load   Play a page ..."); an unknown command's --help would
// answer with that list too.
inline bool LoadIsBuilt() {
    test::ChildProcess help({VEXA_PROGRAM, "--help"});
    return help.Finish() == 0 && help.Output().find("\n  load ") != std::string::npos;
}

// The program runs in the prefix of the test (each case has a fresh one), so a second
// load finds what the first one cached.
inline LoadOutcome LoadPage(const std::string& pageUrl, const std::vector<std::string>& options = {"--trust", "yes"}) {
    std::vector<std::string> command{VEXA_PROGRAM, "load", pageUrl};
    command.insert(command.end(), options.begin(), options.end());
    std::string errorFile = std::filesystem::temp_directory_path() / ("vexa-load-" + std::to_string(::getpid()));
    test::ChildProcess load(command, {}, errorFile);
    LoadOutcome outcome{load.Finish(), {}, ReadFile(errorFile)};
    std::filesystem::remove(errorFile);
    std::istringstream lines(load.Output());
    for (std::string line; std::getline(lines, line);) outcome.events.push_back(line);
    return outcome;
}

}  // namespace vexa::testing
