#pragma once
// Listing a cabinet, and expanding it into a directory on the worker thread. The worker
// posts progress to the control's window, and asks there, by message and answer,
// whether an existing file may be overwritten.

#include <optional>
#include <string>
#include <vector>

#include "cabcodec/expand_into.hpp"
#include "cabinet/cabinet_jobs.hpp"
#include "platform/platform.hpp"

namespace vexa {

// The names of the members of the cabinet in file `path`, in cabinet order; nullopt if
// it cannot be read through.
std::optional<std::vector<std::string>> ListCabinet(Files& files, const std::string& path);

struct ExpandOrder {
    std::string cabFilename;
    std::string directory;             // ends with a separator
    std::vector<std::string> entries;  // the expansion list, with skip marks
    WindowHandle window = 0;
};

// Expands each member, except those marked with cab::kSkipMark, to directory + stored
// name, creating the folders it needs; then posts how the expansion ended, leaving the
// cause of a failure with the jobs.
void RunExpansion(Platform& platform, CabinetJobs& jobs, const ExpandOrder& order);

}  // namespace vexa
