#pragma once
// Compresses one MSZIP data block: "CK" and a complete raw deflate stream. MSZIP decoders
// keep the previous 32 KiB of the folder as history, so a block primed with that input
// as its dictionary compresses as well as in a serial compressor, yet each block can be
// compressed on its own.

#include <span>
#include <vector>

#include <zlib.h>

namespace vexa::cab {

class MszipDeflater {
public:
    MszipDeflater();
    ~MszipDeflater();
    MszipDeflater(const MszipDeflater&) = delete;
    MszipDeflater& operator=(const MszipDeflater&) = delete;

    // Replaces `block` with a data block header followed by the compressed input.
    void Compress(std::span<const unsigned char> input, std::span<const unsigned char> history,
                  std::vector<unsigned char>& block);

private:
    z_stream stream_{};
};

}  // namespace vexa::cab
