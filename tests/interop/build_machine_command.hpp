#pragma once
// A shell command run on the build machine, for peer tools that only it has (osslsigncode,
// openssl). Natively it is /bin/sh. A Windows test under Wine starts /bin/sh too, since Wine
// runs a Linux program natively, but gets no handle that waits for it or tells its exit
// status: so the command always writes its status to a file last, by a rename, and the
// test waits for that file.

#include <filesystem>
#include <string>

#include "tests/interop/scratch_folder.hpp"

namespace vexa::test {

struct CommandOutcome {
    int status = -1;  // -1: it never ended
    std::string output;
};

// The build machine's name for a file of the test; empty on Windows without Wine.
std::string BuildMachinePath(const std::filesystem::path& path);

// Runs `command` (sh syntax, paths in single quotes) with the standard search path, and
// returns its status and output, kept in the scratch folder under `step`.
CommandOutcome RunOnBuildMachine(const std::string& step, const std::string& command, const ScratchFolder& scratch);

}  // namespace vexa::test
