#pragma once
// The window fixture (window_fixture.cpp) as a test sees it: started with a folder of its
// own, the handle and message number of its window once it has made them, and the texts it
// has logged. VEXA_WINDOW_FIXTURE names the program.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_windows.hpp"
#include "tests/support/started_program.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {

class FixtureWindow {
public:
    explicit FixtureWindow(const std::string& messageName)
        : program_({VEXA_WINDOW_FIXTURE, dir_ / "handle.txt", dir_ / "log.txt", messageName}) {}

    // Waits for the fixture's window; false if none comes.
    bool Ready() {
        if (!WaitFor([&] { return std::filesystem::exists(dir_ / "handle.txt"); })) return false;
        std::istringstream(ReadFile(dir_ / "handle.txt")) >> handle_ >> message_;
        return handle_ != 0;
    }
    WindowHandle Handle() const { return handle_; }
    std::uint32_t Message() const { return message_; }

    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        std::istringstream log(ReadFile(dir_ / "log.txt"));
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        return lines;
    }
    // The log once it has `count` lines, or as it is after waiting for them in vain.
    std::vector<std::string> LogOf(std::size_t count) const {
        WaitFor([&] { return Log().size() >= count; });
        return Log();
    }

    StartedProgram& Program() { return program_; }

private:
    template <typename Condition>
    static bool WaitFor(Condition condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    TempDir dir_;
    StartedProgram program_;
    WindowHandle handle_ = 0;
    std::uint32_t message_ = 0;
};

}  // namespace vexa::testing
