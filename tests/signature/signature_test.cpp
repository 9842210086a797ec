#include "signature/signature.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/fake/fake_files.hpp"
#include "platform/native.hpp"
#include "tests/support/reference_checksum.hpp"

namespace vexa {
namespace {

using test::ReferenceChecksum;
using Words = std::array<std::uint32_t, 11>;

const unsigned char* Bytes(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

std::uint16_t Reference(std::string_view text) { return ReferenceChecksum(Bytes(text), text.size()); }

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

// W1..W10 as given, W0 their sum, in the long form's notation.
std::string LongFormOf(Words words) {
    words[0] = std::accumulate(words.begin() + 1, words.end(), std::uint32_t{0});
    std::string text = "1-";
    char digits[3];
    for (std::uint32_t word : words) {
        for (int byte = 0; byte < 4; ++byte, word >>= 8) {
            std::snprintf(digits, sizeof digits, "%02x", word & 0xFFu);
            text += digits;
        }
    }
    return text;
}

// The signature as defined: the whole file in one buffer, cut into ten blocks.
std::string ReferenceSignature(std::string_view file) {
    if (file.empty()) return "";
    std::size_t g = file.size() / 10;
    Words words{};
    for (std::size_t k = 1; k <= 9; ++k) words[k] = Reference(file.substr(g * (k - 1), g));
    words[10] = Reference(file.substr(9 * g));
    if (file.size() < 10) std::swap(words[1], words[10]);
    return LongFormOf(words);
}

const std::string kAbcLongForm = "1-3897000038970000" + std::string(72, '0');

TEST(SignatureChecksum, KnownValues) {
    const struct {
        std::string_view input;
        std::uint16_t expected;
    } cases[] = {{"", 0}, {"123456789", 0x593C}, {"abc", 0x9738}};
    for (const auto& c : cases) {
        EXPECT_EQ(SignatureChecksum(Bytes(c.input), c.input.size()), c.expected) << c.input;
        EXPECT_EQ(Reference(c.input), c.expected) << c.input;
    }
}

// Two bytes at a time the checksum depends only on (bytes XOR crc), so every such value
// is reached from crc 0.
TEST(SignatureChecksum, EveryTwoByteStepMatchesReference) {
    for (unsigned pair = 0; pair < 0x10000; ++pair) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(pair), static_cast<unsigned char>(pair >> 8)};
        ASSERT_EQ(SignatureChecksum(bytes, 2), ReferenceChecksum(bytes, 2)) << pair;
    }
}

TEST(SignatureChecksum, ContinuesFromAnyCrcAndSplitsAnywhere) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string input = RandomBytes(rng, rng() % 700);
        std::size_t split = rng() % (input.size() + 1);
        auto start = static_cast<std::uint16_t>(rng());
        std::uint16_t head = SignatureChecksum(Bytes(input), split, start);
        ASSERT_EQ(SignatureChecksum(Bytes(input) + split, input.size() - split, head),
                  ReferenceChecksum(Bytes(input), input.size(), start))
            << "length " << input.size() << ", split " << split << ", start " << start;
    }
}

TEST(FileSignature, ThreeByteFile) {
    FakeFiles files;
    files.Put("abc.cab", "abc");
    EXPECT_EQ(GenerateFileSignature(files, "abc.cab"), kAbcLongForm);
    EXPECT_EQ(LongSigToShortSig(kAbcLongForm), "9738-42756");
}

TEST(FileSignature, EmptyOrMissingFileHasNoSignatureAndNeverVerifies) {
    FakeFiles files;
    files.Put("empty.cab", "");
    for (std::string name : {"empty.cab", "missing.cab"}) {
        EXPECT_EQ(GenerateFileSignature(files, name), "") << name;
        EXPECT_FALSE(VerifyFile(files, name, LongFormOf({}))) << name;
        EXPECT_FALSE(VerifyFile(files, name, "")) << name;
    }
}

TEST(FileSignature, BlockLayouts) {
    const struct {
        std::size_t size;
        std::vector<std::size_t> blockLengths;  // W1, W2, ... in order; the remaining words are 0
    } cases[] = {
        {1, {1}},
        {9, {9}},  // shorter than ten bytes: the whole file stands in W1
        {10, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {19, {1, 1, 1, 1, 1, 1, 1, 1, 1, 10}},
        {20, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
        {37, {3, 3, 3, 3, 3, 3, 3, 3, 3, 10}},
    };
    std::mt19937 rng(11);
    for (const auto& c : cases) {
        std::string file = RandomBytes(rng, c.size);
        Words words{};
        std::size_t offset = 0;
        for (std::size_t k = 0; k < c.blockLengths.size(); ++k) {
            words[k + 1] = Reference(std::string_view(file).substr(offset, c.blockLengths[k]));
            offset += c.blockLengths[k];
        }
        FakeFiles files;
        files.Put("f.cab", file);
        EXPECT_EQ(GenerateFileSignature(files, "f.cab"), LongFormOf(words)) << "size " << c.size;
    }
}

// Sizes around the block boundaries, the pieces the file is read in, the start of the
// second thread, and a few megabytes.
TEST(FileSignature, MatchesWholeFileDefinition) {
    std::vector<std::size_t> sizes(101);
    std::iota(sizes.begin(), sizes.end(), 0);
    for (std::size_t tens : {100u, 65536u, 2 * 65536u + 1, 104857u}) {
        for (std::size_t extra : {0u, 1u, 9u}) sizes.push_back(10 * tens + extra);
        sizes.push_back(10 * tens - 1);
    }
    for (std::size_t mib : {1u, 3u}) {
        for (std::size_t extra : {0u, 7u}) sizes.push_back((mib << 20) + extra);
    }
    std::mt19937 rng(13);
    for (std::size_t size : sizes) {
        std::string file = RandomBytes(rng, size);
        FakeFiles files;
        files.Put("f.cab", file);
        ASSERT_EQ(GenerateFileSignature(files, "f.cab"), ReferenceSignature(file)) << "size " << size;
    }
}

TEST(FileSignature, ReadFailureAnywhereGivesNoSignature) {
    std::mt19937 rng(17);
    for (std::size_t size : {5u, 1000u, 2u << 20}) {  // in the last block only; one thread; two threads
        std::string file = RandomBytes(rng, size);
        for (std::size_t failFrom : {std::size_t{0}, size / 3, size * 3 / 4, size - 1}) {
            FakeFiles files;
            files.Put("f.cab", file);
            files.FailReadsFrom("f.cab", failFrom);
            EXPECT_EQ(GenerateFileSignature(files, "f.cab"), "") << "size " << size << ", failing from " << failFrom;
        }
    }
}

TEST(VerifyFile, AcceptsRemarksAndSurroundingBlanksButNothingElse) {
    FakeFiles files;
    files.Put("f.cab", "123456789");
    const std::string sig = GenerateFileSignature(files, "f.cab");
    ASSERT_NE(sig.find_first_of("abcdef"), std::string::npos);  // so that upper-casing changes it
    std::string upper = sig;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string oneDigitChanged = sig;
    oneDigitChanged[20] = oneDigitChanged[20] == '0' ? '1' : '0';

    const struct {
        std::string signature;
        bool verifies;
    } cases[] = {
        {sig, true},
        {sig + "'remark", true},
        {sig + " \t' a remark", true},
        {sig + "  \t\r\n", true},
        {sig + "'it's a remark", false},  // cut at the last apostrophe only
        {" \t" + sig + " ", true},
        {" \t" + sig + " ' remark", true},
        {upper, false},
        {sig.substr(2), false},
        {"2-" + sig.substr(2), false},
        {oneDigitChanged, false},
        {sig + "0", false},
        {kAbcLongForm, false},
    };
    for (const auto& c : cases) EXPECT_EQ(VerifyFile(files, "f.cab", c.signature), c.verifies) << c.signature;
}

TEST(ShortSignature, TakesWhateverTheTextGives) {
    const struct {
        std::string longForm;
        std::string expected;
    } cases[] = {
        {"", "0-0"},
        {"1-", "0-0"},
        {"1-0a", "a-0"},
        {"1-00000100", "10000-0"},
        {"1-78563412", "12345678-0"},
        {"1-00000000abc", "0-38712"},
        {kAbcLongForm, "9738-42756"},
    };
    for (const auto& c : cases) EXPECT_EQ(LongSigToShortSig(c.longForm), c.expected) << c.longForm;
}

TEST(FileSignature, RealFileThroughNativeAdapter) {
    std::mt19937 rng(19);
    const std::string content = RandomBytes(rng, (3u << 20) / 2);
    const auto path = std::filesystem::temp_directory_path() / ("vexa-signature-" + std::to_string(rng()) + ".cab");
    std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));

    NativePlatform platform;
    Files& files = platform.Get().files;
    const std::string sig = GenerateFileSignature(files, path.string());
    EXPECT_EQ(sig, ReferenceSignature(content));
    EXPECT_TRUE(VerifyFile(files, path.string(), sig));
    std::filesystem::remove(path);
    EXPECT_EQ(GenerateFileSignature(files, path.string()), "");
}

}  // namespace
}  // namespace vexa
