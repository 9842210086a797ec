#pragma once
// Where a cabinet is read from. Reads are positional, so the codec can return to the
// headers and to any folder's data without sharing a file pointer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/files.hpp"

namespace vexa::cab {

class CabinetSource {
public:
    virtual ~CabinetSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to n bytes at offset; fewer only at the end. Nullopt is a failure, which
    // ends the pass that asked for the bytes: this is how a caller cancels an expansion.
    virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) = 0;
};

// A file opened through the Files port. The port cannot tell a read error from the end
// of the file, so a short read before the end counts as a failure. Expansion reads each
// data block's small header and then its data: reads up to half a window are served
// from a window read ahead, which turns thousands of system calls into a few.
class FileCabinetSource final : public CabinetSource {
public:
    explicit FileCabinetSource(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {}
    std::uint64_t Size() const override { return file_->Size(); }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override;

private:
    std::optional<std::size_t> ReadFile(std::uint64_t offset, unsigned char* into, std::size_t n);

    std::unique_ptr<ReadableFile> file_;
    std::vector<unsigned char> window_;
    std::uint64_t windowAt_ = 0;
};

// The bytes of the cabinet whose header starts at `offset` of a larger source (a
// self-extracting program carries its cabinet after the stub): they end where the header
// says the cabinet ends, so whatever follows it (a code-signing block) is never read.
// Without a readable cabinet signature there the window holds everything up to the end
// of the source and the reader will refuse it; if the header read fails, so does every
// read of the window.
class CabinetWindow final : public CabinetSource {
public:
    CabinetWindow(CabinetSource& whole, std::uint64_t offset);
    std::uint64_t Size() const override { return length_; }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override;

private:
    CabinetSource& whole_;
    std::uint64_t offset_;
    std::uint64_t length_ = 0;
    bool failed_ = false;
};

}  // namespace vexa::cab
