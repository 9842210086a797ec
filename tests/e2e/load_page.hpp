#pragma once
// `vexa load` run on a page as a user would: the control's events, one per line on
// standard output, told apart from the progress and messages on standard error.

#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.hpp"

namespace vexa::testing {

struct LoadOutcome {
    int status;
    std::vector<std::string> events;  // "ScriptDone()", "CustomEvent(\"GOTO URL\") with \"...\""
    std::string messages;             // standard error: progress, the error window, questions
};

struct LoadOptions {
    std::vector<std::string> arguments = {"--trust", "yes"};
    std::string input = {};             // answers typed on standard input
    bool interruptWhenStalled = false;  // Ctrl-C once the progress shows
    int stopSignal = 0;                 // sent once the program has started (ScriptDone)
};

// The program runs in the prefix of the test (each case has a fresh one), so a second
// load finds what the first one cached.
inline LoadOutcome LoadPage(const std::string& pageUrl, const LoadOptions& options = {}) {
    namespace fs = std::filesystem;
    std::vector<std::string> command{VEXA_PROGRAM, "load", pageUrl};
    command.insert(command.end(), options.arguments.begin(), options.arguments.end());
    const fs::path errorFile = fs::temp_directory_path() / ("vexa-load-" + std::to_string(::getpid()));
    auto messages = [&] {
        std::ifstream in(errorFile, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    test::ChildProcess load(command, {}, errorFile);
    if (options.interruptWhenStalled) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (messages().find(" left") == std::string::npos && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        load.Signal(SIGINT);
    }
    if (options.stopSignal != 0 && load.ReadUntil("ScriptDone()\n")) load.Signal(options.stopSignal);
    LoadOutcome outcome{load.Finish(options.input), {}, messages()};
    fs::remove(errorFile);
    std::istringstream lines(load.Output());
    for (std::string line; std::getline(lines, line);) outcome.events.push_back(line);
    return outcome;
}

// Every case starts on an empty machine, also when the cases run in one process.
class FreshMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(std::getenv("VEXA_PREFIX"), ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }
};

}  // namespace vexa::testing
