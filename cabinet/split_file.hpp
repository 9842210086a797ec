#pragma once
// Split sets: a file F cut into N raw pieces named F1, F2, ... FN, so that a large
// cabinet can be downloaded in parts and joined again. Pieces 1 to N-1 hold
// size / N bytes each; piece N holds the rest.

#include <string>

#include "platform/files.hpp"

namespace vexa {

inline constexpr long kMaxSplits = 1000;

// Writes the split set of `filename` beside it, each piece with the file's last-write
// time. Older pieces are replaced only once all the new ones are written. Empty on
// success, else the message for the user.
std::string SplitFile(Files& files, const std::string& filename, long numSplits);

// Joins pieces `filename`1 to `filename``pieces`, in that order, into `filename`, which is
// replaced only once whole and never when it is one of the pieces. Empty on success, else
// the message for the user.
std::string JoinSplitSet(Files& files, const std::string& filename, long pieces);

}  // namespace vexa
