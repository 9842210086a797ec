#pragma once
// The file operations that the core needs and std::filesystem cannot express.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vexa {

// A regular file opened for reading. Reads are positional, so several threads may
// read one file through separate handles without sharing a file pointer.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to n bytes at offset; returns how many were read (fewer only at the
    // end of the file or on a read error).
    virtual std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) = 0;
};

class Files {
public:
    virtual ~Files() = default;
    // Opens a regular file so that other processes may still read and write it.
    // Null if the path does not name a regular file that can be opened.
    virtual std::unique_ptr<ReadableFile> OpenShared(const std::string& path) = 0;
};

}  // namespace vexa
