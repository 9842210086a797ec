#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace vexa
