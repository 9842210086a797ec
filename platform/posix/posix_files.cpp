#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <utility>

#include "platform/posix/posix_files.hpp"

namespace vexa {
namespace {

class PosixReadableFile final : public ReadableFile {
public:
    PosixReadableFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixReadableFile() override { ::close(fd_); }
    PosixReadableFile(const PosixReadableFile&) = delete;
    PosixReadableFile& operator=(const PosixReadableFile&) = delete;

    std::uint64_t Size() const override { return size_; }

    std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            ssize_t got = ::pread(fd_, into + done, n - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    int fd_;
    std::uint64_t size_;
};

// Closing the file releases its lock.
class PosixHeldFile final : public HeldFile {
public:
    explicit PosixHeldFile(int fd) : fd_(fd) {}
    ~PosixHeldFile() override { ::close(fd_); }
    PosixHeldFile(const PosixHeldFile&) = delete;
    PosixHeldFile& operator=(const PosixHeldFile&) = delete;

private:
    int fd_;
};

bool Lock(int fd, int operation) {
    int result;
    while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

// Whether the open file is still the one at `path`: between opening and locking, another
// process may have deleted it, and put a new one there.
bool StillAt(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

bool Missing(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace

// POSIX opens never lock a file against other readers or writers.
std::unique_ptr<ReadableFile> PosixFiles::OpenShared(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixReadableFile>(fd, static_cast<std::uint64_t>(st.st_size));
}

std::optional<TimeStamp> PosixFiles::LastWriteTime(const std::string& path) {
    struct stat st {};
    struct tm local {};
    if (::stat(path.c_str(), &st) != 0 || !::localtime_r(&st.st_mtime, &local)) return std::nullopt;
    return TimeStamp{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// POSIX keeps no creation time; the last-access time is left as it is.
bool PosixFiles::SetFileTime(const std::string& path, const TimeStamp& t, bool) {
    struct tm local {};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;
    std::time_t when = std::mktime(&local);
    if (when == static_cast<std::time_t>(-1)) return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::optional<std::uint32_t> PosixFiles::Attributes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return kAttributeArchive | ((st.st_mode & S_IWUSR) ? 0u : kAttributeReadOnly);
}

bool PosixFiles::SetAttributes(const std::string& path, std::uint32_t bits) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (bits & kAttributeReadOnly) ? (mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
}

std::optional<std::string> PosixFiles::CreateTempFileIn(const std::string& folder, const std::string& prefix) {
    static constexpr int kSuffix = 4;  // ".tmp"
    std::string pattern = (std::filesystem::path(folder) / (prefix + "XXXXXX.tmp")).string();
    int fd = ::mkstemps(pattern.data(), kSuffix);
    if (fd < 0) return std::nullopt;
    ::close(fd);
    return pattern;
}

std::optional<std::string> PosixFiles::CreateTempFile(const std::string& prefix) {
    std::error_code error;
    auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::nullopt : CreateTempFileIn(folder.string(), prefix);
}

bool WriteAll(int fd, const unsigned char* bytes, std::size_t n) {
    while (n > 0) {
        ssize_t done = ::write(fd, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

namespace {

class PosixWritableFile final : public WritableFile {
public:
    explicit PosixWritableFile(int fd) : fd_(fd) {}
    ~PosixWritableFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixWritableFile(const PosixWritableFile&) = delete;
    PosixWritableFile& operator=(const PosixWritableFile&) = delete;

    bool Write(const unsigned char* data, std::size_t n) override { return WriteAll(fd_, data, n); }
    bool Close() override { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

}  // namespace

// O_EXCL fails on anything in the way, a dangling link too, and follows nothing.
std::unique_ptr<WritableFile> PosixFiles::CreateNewFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWritableFile>(fd);
}

// A lock on a file that was deleted meanwhile would hold nothing: then the file is made anew.
std::unique_ptr<HeldFile> PosixFiles::CreateHeldFile(const std::string& path) {
    for (;;) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return nullptr;
        bool locked = Lock(fd, LOCK_SH);
        if (locked && StillAt(fd, path)) return std::make_unique<PosixHeldFile>(fd);
        ::close(fd);
        if (!locked) return nullptr;
    }
}

// While the exclusive lock is held no holder can take the file and no other deletion can
// remove it; a file that took its place before the lock is someone else's and stays.
bool PosixFiles::DeleteUnlessHeld(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    bool gone = false;
    if (Lock(fd, LOCK_EX | LOCK_NB))
        gone = StillAt(fd, path) ? ::unlink(path.c_str()) == 0 || errno == ENOENT : Missing(path);
    ::close(fd);
    return gone;
}

std::optional<DriveSpace> PosixFiles::SpaceOfDrive(const std::string& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) return std::nullopt;
    return DriveSpace{std::uint64_t{fs.f_blocks} * fs.f_frsize, std::uint64_t{fs.f_bavail} * fs.f_frsize};
}

}  // namespace vexa
