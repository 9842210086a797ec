// Throughput of the signature checksum: the defined byte-at-a-time form, the fast form
// on one run of bytes, the fast form on five runs side by side (as the signature sums
// its blocks), and a whole signature of an in-memory file.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "signature/signature.hpp"
#include "signature/signature_checksum.hpp"
#include "platform/fake/fake_files.hpp"
#include "tests/support/reference_checksum.hpp"

namespace vexa {
namespace {

std::string RandomBytes(std::size_t n) {
    std::mt19937_64 rng(1);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

const std::string& Data() {
    static const std::string data = RandomBytes(16u << 20);
    return data;
}

const unsigned char* Bytes(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }

void BM_ReferenceChecksum(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(test::ReferenceChecksum(Bytes(Data()), Data().size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Data().size()));
}
BENCHMARK(BM_ReferenceChecksum)->Unit(benchmark::kMillisecond);

void BM_SignatureChecksum(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(SignatureChecksum(Bytes(Data()), Data().size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Data().size()));
}
BENCHMARK(BM_SignatureChecksum)->Unit(benchmark::kMillisecond);

void BM_SignatureChecksumLanes(benchmark::State& state) {
    const std::size_t laneLength = Data().size() / kChecksumLanes;
    std::array<const unsigned char*, kChecksumLanes> lanes{};
    for (std::size_t k = 0; k < kChecksumLanes; ++k) lanes[k] = Bytes(Data()) + k * laneLength;
    for (auto _ : state) {
        ChecksumLanes crcs{};
        SignatureChecksumLanes(lanes, laneLength, crcs);
        benchmark::DoNotOptimize(crcs);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * laneLength * kChecksumLanes));
}
BENCHMARK(BM_SignatureChecksumLanes)->Unit(benchmark::kMillisecond);

// One file in memory whose handles read it in place; the test fake copies the bytes on
// every open, which would dwarf the signature's own work.
void BM_GenerateFileSignature(benchmark::State& state) {
    const std::size_t size = 64u << 20;
    FakeFiles files;
    files.Put("big.cab", RandomBytes(size));
    for (auto _ : state) benchmark::DoNotOptimize(GenerateFileSignature(files, "big.cab"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_GenerateFileSignature)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexa
