#pragma once
// Self-extracting cabinets: the self-extract stub program followed by a cabinet file,
// byte for byte. Nothing else is added: the stub knows its own size, where its cabinet
// starts, and the cabinet's header is the only structure after it.

#include <span>
#include <string>

#include "platform/files.hpp"

namespace vexa {

// Writes `exeFilename` as `stub` followed by the cabinet `cabFilename`, which is opened so
// that others may go on reading and writing it; the program may be run by anyone who may
// read it. The output is written beside its target and replaces it only once whole: false,
// and the target as it was, when the stub or the cabinet is empty, the cabinet cannot be
// opened or is the output itself, or the output cannot be written completely.
bool Cab2Exe(Files& files, std::span<const unsigned char> stub, const std::string& cabFilename,
             const std::string& exeFilename);

}  // namespace vexa
