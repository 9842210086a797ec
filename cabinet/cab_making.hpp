#pragma once
// Making a cabinet from a cab image, on the worker thread: MSZIP for every file, a folder
// of its own for the first file, and the progress of every compressed block posted to
// the control's window.

#include <cstdint>
#include <string>
#include <vector>

#include "cabinet/cabinet_jobs.hpp"
#include "platform/platform.hpp"

namespace vexa {

// The files of a cabinet to make: source paths and the names they are stored under
// ("\" separating folders), two lists of equal length.
struct CabImage {
    std::vector<std::string> sources;
    std::vector<std::string> names;
};

// How files are grouped into folders (compressed streams). The control's own layout gives
// every file but the first and the last a folder of its own; a continuous one closes
// folders only at the size threshold, which compresses better and faster.
enum class FolderLayout { FolderPerFile, Continuous };

struct MakeOrder {
    CabImage image;
    std::string cabFilename;
    std::int32_t certificateSize = 0;  // room in the header for a code-signing certificate
    bool sourcesToArchive = false;     // store every file with the archive attribute alone
    WindowHandle window = 0;
    FolderLayout layout = FolderLayout::FolderPerFile;
};

// Makes the cabinet and posts how the make ended. The cabinet is written beside its target
// and renamed over it only when the make is done, so a failed or cancelled make leaves what
// was there (an older cabinet, a folder) as it was, and nothing of its own.
void RunMake(Platform& platform, CabinetJobs& jobs, const MakeOrder& order);

}  // namespace vexa
