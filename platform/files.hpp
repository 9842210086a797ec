#pragma once
// The file operations that the core needs and std::filesystem cannot express.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_beside.hpp"
#include "common/timestamp.hpp"

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

// A file being written by the one who made it.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Appends; false on a write error.
    virtual bool Write(const unsigned char* data, std::size_t n) = 0;
    // False if what was written did not all reach the file.
    virtual bool Close() = 0;
};

// A file held open for writing, marking what it stands for as in use until the object
// goes (or its process ends).
class HeldFile {
public:
    virtual ~HeldFile() = default;
};

struct DriveSpace {
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;  // what this user may still fill
};

// File attribute bits in their Windows (and cabinet) values.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
// The bits that cabinets record and expansion restores.
inline constexpr std::uint32_t kStoredAttributes = 0x27;

class Files {
public:
    virtual ~Files() = default;
    // Opens a regular file so that other processes may still read and write it.
    // Null if the path does not name a regular file that can be opened.
    virtual std::unique_ptr<ReadableFile> OpenShared(const std::string& path) = 0;

    // The last-write time in local time.
    virtual std::optional<TimeStamp> LastWriteTime(const std::string& path) = 0;
    // Sets the last-write time, and with `creationToo` the creation time where the
    // system keeps one, from a local time.
    virtual bool SetFileTime(const std::string& path, const TimeStamp& local, bool creationToo) = 0;
    // Attribute bits; POSIX systems keep only read-only (as the owner's write
    // permission) and report every file as archived.
    virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
    virtual bool SetAttributes(const std::string& path, std::uint32_t bits) = 0;
    // Creates an empty file in `folder` named `prefix`, a unique part the system chooses
    // and ".tmp", and returns its path. Windows keeps at most three characters of the prefix.
    virtual std::optional<std::string> CreateTempFileIn(const std::string& folder, const std::string& prefix) = 0;
    // The same in the system's temporary folder.
    virtual std::optional<std::string> CreateTempFile(const std::string& prefix) = 0;
    // Creates `path` as a new file and opens it for writing; null when anything stands
    // there already (a file, a folder, a link even if it points nowhere), which is never
    // followed or replaced, or when the file cannot be made.
    virtual std::unique_ptr<WritableFile> CreateNewFile(const std::string& path) = 0;

    // Creates the file, empty, if it is missing, and holds it until the result is
    // destroyed; null on failure. Several holders may hold one file.
    virtual std::unique_ptr<HeldFile> CreateHeldFile(const std::string& path) = 0;
    // Deletes the file unless a holder in any process holds it. True when the file is gone
    // afterwards: deleted now, or absent already.
    virtual bool DeleteUnlessHeld(const std::string& path) = 0;

    // The size and free space of the drive that holds `folder`, an existing folder.
    virtual std::optional<DriveSpace> SpaceOfDrive(const std::string& folder) = 0;
};

// A new file for `target`, to be renamed over it once written: a fresh temporary file beside
// it that this port makes.
inline std::unique_ptr<FileBeside> FileBesideOf(Files& files, const std::filesystem::path& target) {
    return std::make_unique<FileBeside>(target,
                                        files.CreateTempFileIn(FileBeside::FolderOf(target), FileBeside::kPrefix));
}

// Replaces `target` with a copy of `source`, so that it is never half written; a target the
// system will not let go (a library in use on Windows, a read-only file) stays as it was.
inline bool ReplaceFileWith(Files& files, const std::filesystem::path& source, const std::filesystem::path& target) {
    auto copy = FileBesideOf(files, target);
    return copy->CopyFrom(source) && !copy->Commit();
}

// Text files are small; a larger one is not read at all rather than filling memory or
// being taken in part.
inline constexpr std::uint64_t kMaxTextFileBytes = 16 * 1024 * 1024;

// The whole file as text, read through a shared open so a file another program holds open
// can still be read; nullopt when it is missing, not a regular file, larger than
// kMaxTextFileBytes or cannot be read in full.
inline std::optional<std::string> ReadTextFile(Files& files, const std::string& path) {
    auto file = files.OpenShared(path);
    if (!file || file->Size() > kMaxTextFileBytes) return std::nullopt;
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    if (file->ReadAt(0, reinterpret_cast<unsigned char*>(text.data()), text.size()) != text.size()) return std::nullopt;
    return text;
}

// Creates or replaces `target` with `text`, written beside it first, so a failed write (a
// read-only file, a folder, a missing folder, a full disk) leaves the old file as it was.
inline bool WriteTextFile(Files& files, const std::filesystem::path& target, std::string_view text) {
    auto file = FileBesideOf(files, target);
    if (!file->Made()) return false;
    std::ofstream out(file->Path(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail() && !file->Commit();
}

}  // namespace vexa
