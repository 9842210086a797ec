#include "cabinet/split_file.hpp"

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "common/file_beside.hpp"
#include "common/split_set.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCopyBlock = 1 << 20;

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


bool WritePiece(std::ifstream& in, const FileBeside& piece, std::uintmax_t count, fs::file_time_type time) {
    if (!piece.Made()) return false;
    std::ofstream out(piece.Path(), std::ios::binary | std::ios::trunc);
    if (!out || !CopyTo(in, out, count)) return false;
    out.close();
    std::error_code ignored;  // a piece without its time is still a good piece
    fs::last_write_time(piece.Path(), time, ignored);
    return out.good();
}

// Older pieces are replaced only once every new one is written.
bool CommitAll(const std::vector<std::unique_ptr<FileBeside>>& pieces) {
    for (const auto& piece : pieces)
        if (piece->Commit()) return false;
    return true;
}

}  // namespace

std::string SplitFile(Files& files, const std::string& filename, long numSplits) {
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
    std::vector<std::unique_ptr<FileBeside>> pieces;
    for (long k = 1; k <= numSplits; ++k) {
        std::string name = SplitPieceName(filename, k);
        if (IsSameFile(name, filename)) return "Cannot split the file into itself: " + name;
        std::error_code unknown;  // a piece that cannot be looked at fails at its writing
        if (fs::is_directory(name, unknown)) return "File split failed.";
        bool last = k == numSplits;
        std::uintmax_t count = last ? size - (n - 1) * pieceSize : pieceSize;
        pieces.push_back(FileBesideOf(files, name));
        if (!WritePiece(in, *pieces.back(), count, time)) return "File split failed.";
    }
    return CommitAll(pieces) ? std::string() : "File split failed.";
}

std::string JoinSplitSet(Files& files, const std::string& filename, long pieces) {
    if (pieces < 1) return "Number of pieces must be 1 or larger.";
    for (long k = 1; k <= pieces; ++k) {
        if (IsSameFile(SplitPieceName(filename, k), filename))
            return filename + ": is piece " + std::to_string(k) + " of its own set";
    }
    auto joined = FileBesideOf(files, filename);
    if (!joined->Made()) return filename + ": cannot be written";
    std::ofstream out(joined->Path(), std::ios::binary | std::ios::trunc);
    if (!out) return filename + ": cannot be written";
    for (long k = 1; k <= pieces; ++k) {
        std::string piece = SplitPieceName(filename, k);
        std::error_code error;
        std::uintmax_t size = fs::file_size(piece, error);
        std::ifstream in(piece, std::ios::binary);
        if (error || !in) return piece + ": cannot be read";
        if (!CopyTo(in, out, size)) return filename + ": piece " + std::to_string(k) + " cannot be copied";
    }
    out.close();
    if (!out.good() || joined->Commit()) return filename + ": cannot be written";
    return {};
}

}  // namespace vexa
