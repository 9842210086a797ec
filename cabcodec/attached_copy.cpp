#include "cabcodec/attached_copy.hpp"

#include <algorithm>
#include <new>

namespace vexa::cab {

std::vector<unsigned char> TailBuffer(std::uint64_t length) {
    try {
        return std::vector<unsigned char>(static_cast<std::size_t>(std::min(length, kMaxCopyChunk)));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

TailCopy CopyTail(ReadableFile& source, std::uint64_t offset, std::span<unsigned char> buffer, std::ostream& out) {
    const std::uint64_t length = source.Size() > offset ? source.Size() - offset : 0;
    if (buffer.empty() && length > 0) return TailCopy::ShortRead;
    for (std::uint64_t done = 0; done < length;) {
        auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        if (source.ReadAt(offset + done, buffer.data(), chunk) < chunk) return TailCopy::ShortRead;
        if (!out.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(chunk)))
            return TailCopy::WriteFailed;
        done += chunk;
    }
    return out.flush() ? TailCopy::Done : TailCopy::WriteFailed;
}

}  // namespace vexa::cab
