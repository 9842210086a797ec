#pragma once
// The vexa toolbox run as its users run it: a process with arguments, standard input, an
// exit status and its output. VEXA_PROGRAM names the built program.

#include <string>
#include <vector>

#include "tests/support/child_process.hpp"

namespace vexa::testing {

struct Outcome {
    int status;
    std::string output;
};

inline Outcome Vexa(std::vector<std::string> arguments, const std::string& input = {}) {
    arguments.insert(arguments.begin(), VEXA_PROGRAM);
    test::ChildProcess vexa(arguments);
    int status = vexa.Finish(input);
    return {status, vexa.Output()};
}

}  // namespace vexa::testing
