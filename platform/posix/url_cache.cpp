#include "platform/posix/url_cache.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/file_name.hpp"
#include "common/url.hpp"
#include "platform/posix/posix_files.hpp"

namespace vexa {
namespace {

// Pieces smaller than this are gathered up to kGathered before they are written, so that a
// reader taking little at a time does not make the disk do the same; larger ones go
// straight from the reader's buffer.
constexpr std::size_t kSmallPiece = 16 * 1024;
constexpr std::size_t kGathered = 64 * 1024;
constexpr std::string_view kIncoming = ".incoming-";
constexpr std::size_t kHashDigits = 16;

// FNV-1a: the same for a URL in every run and build, unlike std::hash.
std::string HashText(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3u;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016" PRIx64, hash);
    return digits;
}

// The URL's file name with the hash of the whole URL before its extension, as the system's
// cache decorates names ("setup[1].exe"): URLs that end in the same name stay apart, and
// the extension, which callers judge a file by, stays last.
std::string EntryName(const std::string& url) {
    std::optional<UrlParts> parts = SplitUrl(url);
    std::string name(FileNamePart(parts ? parts->path : std::string()));
    if (name.empty() || name == "." || name == "..") name = "index";
    std::size_t dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos) dot = name.size();
    return name.substr(0, dot) + "[" + HashText(url) + "]" + name.substr(dot);
}

// "stem[<16 hex digits>]" and the extension, as EntryName makes it.
bool IsEntryName(const std::string& name) {
    std::size_t open = name.rfind('[');
    if (open == std::string::npos || open + kHashDigits + 1 >= name.size() || name[open + kHashDigits + 1] != ']')
        return false;
    std::string_view digits = std::string_view(name).substr(open + 1, kHashDigits);
    return digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

CacheEntryWriter::CacheEntryWriter(int fd, std::filesystem::path temporary, std::filesystem::path entry)
    : fd_(fd), temporary_(std::move(temporary)), entry_(std::move(entry)) {
    gathered_.reserve(kGathered);
}

CacheEntryWriter::~CacheEntryWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool CacheEntryWriter::Flush() {
    bool written = WriteAll(fd_, gathered_.data(), gathered_.size());
    gathered_.clear();
    return written;
}

bool CacheEntryWriter::Append(const unsigned char* bytes, std::size_t n) {
    if (n < kSmallPiece) {
        gathered_.insert(gathered_.end(), bytes, bytes + n);
        return gathered_.size() < kGathered || Flush();
    }
    return Flush() && WriteAll(fd_, bytes, n);
}

bool CacheEntryWriter::Commit() {
    bool written = Flush();
    written = ::close(fd_) == 0 && written;
    fd_ = -1;
    if (!written || ::rename(temporary_.c_str(), entry_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
}

std::filesystem::path UrlCache::EntryPath(const std::string& url) const {
    return folder_ / EntryName(url);
}

std::optional<std::string> UrlCache::Find(const std::string& url) const {
    std::filesystem::path entry = EntryPath(url);
    std::error_code error;
    if (!std::filesystem::is_regular_file(entry, error)) return std::nullopt;
    return entry.string();
}

// The temporary file's name begins with a dot and has no brackets, so it is never an entry.
// Where the file system has no locks the body goes unheld; housekeeping's age rule still
// keeps it from a body being written.
std::unique_ptr<CacheEntryWriter> UrlCache::Begin(const std::string& url) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    std::string temporary = (folder_ / (std::string(kIncoming) + "XXXXXX")).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
    }
    return std::make_unique<CacheEntryWriter>(fd, temporary, EntryPath(url));
}

std::vector<UrlCacheFile> UrlCache::Files() const {
    std::vector<UrlCacheFile> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
        std::string name = it->path().filename().string();
        bool partial = name.starts_with(kIncoming);
        if (partial || IsEntryName(name)) files.push_back({it->path(), partial});
    }
    return files;
}

}  // namespace vexa
