#include "cabinet/split_file.hpp"

#include <filesystem>
#include <fstream>
#include <vector>

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCopyBlock = 1 << 20;

std::string PieceName(const std::string& filename, long k) { return filename + std::to_string(k); }

// Copies `count` bytes in blocks of bounded size: memory stays small whatever the file.
bool CopyTo(std::ifstream& in, std::ofstream& out, std::uintmax_t count) {
    std::vector<char> block(static_cast<std::size_t>(std::min<std::uintmax_t>(count, kCopyBlock)));
    for (std::uintmax_t left = count; left > 0;) {
        auto piece = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, block.size()));
        if (!in.read(block.data(), piece) || !out.write(block.data(), piece)) return false;
        left -= static_cast<std::uintmax_t>(piece);
    }
    return true;
}

bool WritePiece(std::ifstream& in, const std::string& path, std::uintmax_t count, fs::file_time_type time) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !CopyTo(in, out, count)) return false;
    out.close();
    std::error_code ignored;  // a piece without its time is still a good piece
    fs::last_write_time(path, time, ignored);
    return out.good();
}

}  // namespace

std::string SplitFile(const std::string& filename, long numSplits) {
    if (numSplits > kMaxSplits) return "Number of splits is too large.";
    if (numSplits < 2) return "Number of splits must be 2 or larger.";

    std::error_code error;
    fs::file_time_type time = fs::last_write_time(filename, error);
    std::uintmax_t size = fs::file_size(filename, error);
    std::ifstream in(filename, std::ios::binary);
    if (error || !in) return "Cannot open file: " + filename;

    const auto n = static_cast<std::uintmax_t>(numSplits);
    const std::uintmax_t pieceSize = size / n;
    if (pieceSize == 0) return "Cannot split the file. Invalid split size.";
    for (long k = 1; k <= numSplits; ++k) {
        bool last = k == numSplits;
        std::uintmax_t count = last ? size - (n - 1) * pieceSize : pieceSize;
        if (!WritePiece(in, PieceName(filename, k), count, time)) return "File split failed.";
    }
    return {};
}

bool JoinSplitSet(const std::string& filename, long pieces) {
    if (pieces < 1) return false;  // nothing to join; the file stays as it is
    std::ofstream out(filename, std::ios::binary | std::ios::trunc);
    for (long k = 1; k <= pieces && out; ++k) {
        std::string piece = PieceName(filename, k);
        std::error_code error;
        std::uintmax_t size = fs::file_size(piece, error);
        std::ifstream in(piece, std::ios::binary);
        if (error || !in || !CopyTo(in, out, size)) return false;
    }
    out.close();
    return out.good();
}

}  // namespace vexa
