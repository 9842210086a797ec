#pragma once
// Both backends spool data before the cabinet is written in order; this copies the
// spooled bytes into the cabinet in bounded chunks.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "cabcodec/maker.hpp"

namespace vexa::cab {

// `Spool` offers ReadAt(offset, into, n) -> optional<size_t>, as TemporaryFile does.
template <class Spool>
MakeError CopySpooled(Spool& from, std::uint64_t size, OutputFile& out) {
    std::vector<unsigned char> chunk(64 * 1024);
    for (std::uint64_t done = 0; done < size;) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - done));
        auto got = from.ReadAt(done, chunk.data(), want);
        if (!got || *got != want) return MakeError::TemporaryFile;
        if (!out.Write(chunk.data(), want)) return MakeError::WriteFailed;
        done += want;
    }
    return MakeError::None;
}

}  // namespace vexa::cab
