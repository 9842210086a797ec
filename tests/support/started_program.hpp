#pragma once
// A program a test starts in the background with arguments, on either system; ended with
// the test if it still runs.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexa::testing {

class StartedProgram {
public:
    // `arguments` begins with the program; none may hold a double quote.
    explicit StartedProgram(const std::vector<std::string>& arguments);
    ~StartedProgram() { Kill(); }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return started_; }
    // True when it has ended within `timeout`.
    bool WaitForExit(std::chrono::milliseconds timeout);
    // Ends it at once, without its own clean-up.
    void Kill();

private:
    bool Ended();

    std::uintptr_t process_ = 0;  // the process handle on Windows, the process id elsewhere
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace vexa::testing
