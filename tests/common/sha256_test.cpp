#include "common/sha256.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vexa {
namespace {

// The examples of FIPS 180-2, appendix B, and the empty message.
TEST(Sha256, MatchesTheStandardsExamples) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256::Of(c.message), c.digest) << c.message;
}

TEST(Sha256, AMillionAsInUnevenPiecesGiveTheStandardsDigest) {
    Sha256 sha;
    std::string piece(997, 'a');
    std::size_t left = 1000000;
    while (left > 0) {
        std::size_t n = std::min(left, piece.size());
        sha.Update(std::string_view(piece).substr(0, n));
        left -= n;
    }
    EXPECT_EQ(sha.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace vexa
