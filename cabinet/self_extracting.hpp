#pragma once
// Self-extracting cabinets: the self-extract stub program followed by a cabinet file,
// byte for byte. Nothing else is added: the stub knows its own size, where its cabinet
// starts, and the cabinet's header is the only structure after it.

#include <span>
#include <string>

#include "platform/files.hpp"

namespace vexa {

// Writes `exeFilename` as `stub` followed by the cabinet `cabFilename`, which is opened so
// that others may go on reading and writing it. False, and no output file, when the stub
// or the cabinet is empty or the cabinet cannot be opened; false when the output cannot be
// written completely, which may leave a partial output file behind.
bool Cab2Exe(Files& files, std::span<const unsigned char> stub, const std::string& cabFilename,
             const std::string& exeFilename);

}  // namespace vexa
