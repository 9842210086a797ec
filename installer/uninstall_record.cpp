#include "installer/uninstall_record.hpp"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace vexa::installer {
namespace {

constexpr std::size_t kLengthWidth = kTrailerSize - kRecordMarker.size();
constexpr std::size_t kCopyChunk = 1 << 20;

// The program's length that a trailer names, when it is one and the length leaves room
// for the trailer in a file of `fileSize` bytes.
std::optional<std::uint64_t> BaseLengthOf(std::string_view trailer, std::uint64_t fileSize) {
    if (trailer.size() != kTrailerSize || !trailer.starts_with(kRecordMarker)) return std::nullopt;
    std::string_view digits = trailer.substr(kRecordMarker.size());
    digits.remove_prefix(std::min(digits.find_first_not_of(' '), digits.size()));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    std::uint64_t length = 0;
    for (char digit : digits) length = length * 10 + static_cast<std::uint64_t>(digit - '0');
    if (length > fileSize - kTrailerSize) return std::nullopt;
    return length;
}

std::string TrailerFor(std::uint64_t baseLength) {
    std::string number = std::to_string(baseLength);
    return std::string(kRecordMarker) + std::string(kLengthWidth - std::min(kLengthWidth, number.size()), ' ') + number;
}

std::string ReadAt(ReadableFile& file, std::uint64_t offset, std::size_t n) {
    std::string bytes(n, '\0');
    bytes.resize(file.ReadAt(offset, reinterpret_cast<unsigned char*>(bytes.data()), n));
    return bytes;
}

// The program's length: what the trailer says, or the whole file when it carries none.
std::uint64_t BaseLengthOfFile(ReadableFile& file) {
    const std::uint64_t size = file.Size();
    if (size < kTrailerSize) return size;
    return BaseLengthOf(ReadAt(file, size - kTrailerSize, kTrailerSize), size).value_or(size);
}

bool CopyPrefix(ReadableFile& from, std::uint64_t length, std::ofstream& to) {
    for (std::uint64_t done = 0; done < length;) {
        const std::string chunk = ReadAt(from, done, static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, length - done)));
        if (chunk.empty()) return false;
        to.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        done += chunk.size();
    }
    return static_cast<bool>(to);
}

// Lines end at CR and LF is dropped wherever it stands; the text after the last CR is the
// trailer.
std::vector<std::string> LinesOf(std::string_view recordAndTrailer) {
    std::vector<std::string> lines(1);
    for (char c : recordAndTrailer) {
        if (c == '\r') lines.emplace_back();
        else if (c != '\n') lines.back() += c;
    }
    lines.pop_back();
    return lines;
}

}  // namespace

std::vector<std::string> RecordLinesOf(std::string_view bytes) {
    if (bytes.size() < kTrailerSize) return {};
    const auto base = BaseLengthOf(bytes.substr(bytes.size() - kTrailerSize), bytes.size());
    if (!base) return {};
    return LinesOf(bytes.substr(static_cast<std::size_t>(*base)));
}

std::optional<std::vector<std::string>> ReadUninstallRecord(Files& files, const std::string& path) {
    auto file = files.OpenShared(path);
    if (!file) return std::nullopt;
    const std::uint64_t size = file->Size();
    const std::uint64_t base = BaseLengthOfFile(*file);
    // A record larger than any text we read is no record of ours.
    if (base == size || size - base > kMaxTextFileBytes) return std::vector<std::string>{};
    const std::string tail = ReadAt(*file, base, static_cast<std::size_t>(size - base));
    if (tail.size() != size - base) return std::vector<std::string>{};
    return LinesOf(tail);
}

bool WriteUninstallRecord(Files& files, const std::string& path, const std::vector<std::string>& lines) {
    auto program = files.OpenShared(path);
    if (!program) return false;
    auto beside = FileBesideOf(files, path);
    if (!beside->Made()) return false;
    std::ofstream out(beside->Path(), std::ios::binary | std::ios::trunc);
    const std::uint64_t base = BaseLengthOfFile(*program);
    if (!CopyPrefix(*program, base, out)) return false;
    for (const std::string& line : lines) out << line << "\r\n";
    out << TrailerFor(base);
    out.close();
    program.reset();  // Windows renames nothing over an open file
    return !out.fail() && !beside->Commit();
}

}  // namespace vexa::installer
