#pragma once
// Making a cabinet: files are added one after another into folders (compressed streams)
// and the cabinet is written when it is flushed. Everything the maker reads or writes
// goes through the caller's callbacks, so the caller decides where files come from, where
// temporary data lives, and when to stop: a write that fails abandons the cabinet.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vexa::cab {

struct MakeParameters {
    // The cabinet is created as directory + name; directory ends in "\" or "/", or is empty.
    std::string directory;
    std::string name;
    std::uint32_t maxCabinetSize = 300'000'000;  // a cabinet that would grow beyond it fails
    std::uint32_t folderThreshold = 900'000;     // a folder closes at the file that fills it to this
    // Room kept for a code-signing certificate, at most 60,000 bytes: not in the header but
    // as a signed cabinet keeps its signature, so signing tools take the cabinet
    // (signature_slot.hpp). The maximum size counts it.
    std::uint16_t headerReserve = 0;
    std::uint16_t setId = 10001;
    std::uint16_t cabinetNumber = 1;
    unsigned threads = 0;  // compression threads; 0: one per processor
};

inline constexpr std::uint16_t kMaxHeaderReserve = 60'000;
inline constexpr std::size_t kMaxMemberName = 255;

// A source file's bytes, read from the start.
class SourceReader {
public:
    virtual ~SourceReader() = default;
    // Up to n bytes; 0 at the end; nullopt on a read error.
    virtual std::optional<std::size_t> Read(unsigned char* into, std::size_t n) = 0;
};

// File information: the opened file with the MS-DOS date, time and attributes to store.
struct SourceFile {
    std::unique_ptr<SourceReader> data;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
};

// A file the maker writes in order.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // False abandons the cabinet: a full disk, or the caller cancelling the make.
    virtual bool Write(const unsigned char* data, std::size_t n) = 0;
};

// Compressed folder data waits in a temporary file until the cabinet is flushed, since
// the cabinet's tables come before its data and are known only at the end.
class TemporaryFile : public OutputFile {
public:
    // Reads back what was written; up to n bytes, fewer only at the end; nullopt on error.
    virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) = 0;
};

class MakeCallbacks {
public:
    virtual ~MakeCallbacks() = default;
    // Nullopt if the file cannot be opened, which fails the add.
    virtual std::optional<SourceFile> OpenSource(const std::string& path) = 0;
    // After each compressed data block, with its compressed and uncompressed sizes.
    virtual void BlockCompressed(std::uint32_t compressedSize, std::uint32_t uncompressedSize) = 0;
    // Null if none can be made. The maker releases it when the cabinet is written or abandoned.
    virtual std::unique_ptr<TemporaryFile> CreateTemporary() = 0;
    // Null if the cabinet file cannot be created.
    virtual std::unique_ptr<OutputFile> CreateCabinet(const std::string& path) = 0;
};

enum class MakeError {
    None,
    BadParameters,  // header reserve too large, or no cabinet name
    BadName,        // a name in the cabinet that is empty, too long, or would leave the destination
    OpenSource,
    ReadSource,
    TemporaryFile,  // none could be made, or reading it back failed
    WriteFailed,    // a write was refused: the make was abandoned
    TooLarge,       // beyond the maximum cabinet size or a limit of the format
    NoFiles,        // a cabinet needs at least one file
    Finished,       // the cabinet was already flushed
};

// One cabinet, compressed with MSZIP. After a failure every later call fails with the same
// error; the caller removes whatever the failed make left behind.
class CabinetMaker {
public:
    CabinetMaker(const MakeParameters& parameters, MakeCallbacks& callbacks);
    ~CabinetMaker();
    CabinetMaker(const CabinetMaker&) = delete;
    CabinetMaker& operator=(const CabinetMaker&) = delete;

    // Appends a source file to the current folder under its name in the cabinet.
    bool AddFile(const std::string& sourcePath, const std::string& nameInCabinet);
    // Closes the current folder; the next file starts a new one. Nothing to close is fine.
    bool FlushFolder();
    // Closes the current folder and writes the cabinet.
    bool FlushCabinet();
    MakeError Error() const;

private:
    class Writer;
    std::unique_ptr<Writer> writer_;
};

}  // namespace vexa::cab
