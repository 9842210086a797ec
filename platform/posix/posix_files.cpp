#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

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

std::optional<std::string> PosixFiles::CreateTempFile(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return std::nullopt;
    ::close(fd);
    return pattern;
}

}  // namespace vexa
