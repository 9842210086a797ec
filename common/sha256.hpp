#pragma once
// SHA-256 (FIPS 180-2), incremental so that large inputs are hashed as they stream. Used
// for the installer's password and by tests that compare outputs with recorded digests.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

class Sha256 {
public:
    void Update(const unsigned char* data, std::size_t n);
    void Update(std::string_view text) { Update(reinterpret_cast<const unsigned char*>(text.data()), text.size()); }

    // The digest in lower-case hex; the object is spent afterwards.
    std::string HexDigest();

    static std::string Of(std::string_view text);

private:
    void Compress();

    std::array<std::uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<unsigned char, 64> block_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace vexa
