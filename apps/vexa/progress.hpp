#pragma once
// Progress of long work on standard error: on a terminal a bar redrawn in place, otherwise
// a plain line each time the work moves on to another item.

#include <cstdint>
#include <string>

namespace vexa::cli {

class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` of `total` units, working on `item` ("adding a.txt").
    void Show(const std::string& item, std::uint64_t done, std::uint64_t total);
    // Ends the bar's line, so that other output starts on a line of its own.
    void Break();

private:
    bool terminal_;
    bool drawn_ = false;
    std::string lastItem_;
    std::uint64_t lastPercent_ = 101;
};

}  // namespace vexa::cli
