#pragma once
// The Internet cache of the POSIX prefix: one folder that keeps, for each URL, the complete
// body last fetched from it.
//
// Layout: flat, one file per URL, named after the file name of the URL's path with a 64-bit
// hash of the URL text before the extension ("http://host/dl/setup.cab?v=2" -> "<cache>/
// setup[9c0e47a1d3b25f68].cab"; a path ending in "/" gives "index[...]"). The entry keeps
// the URL's name and extension because its callers go by them, as with the system's own
// cache: trust is judged by the extension. The hash keeps URLs that end in the same name
// apart. One folder for all, since a folder per entry doubles the inodes a download makes.
//
// A body is written to a temporary file in the cache folder itself (".incoming-XXXXXX") and
// renamed into its entry when complete, so an entry is always a whole body and replacing one
// is atomic. The writer holds its temporary file (a shared lock, as Files::CreateHeldFile
// holds), so housekeeping can tell a live transfer's body from one a dead transfer left.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexa {

// A body on its way into the cache. It becomes the URL's entry only through Commit; dropped
// before that, it leaves nothing behind.
class CacheEntryWriter {
public:
    CacheEntryWriter(int fd, std::filesystem::path temporary, std::filesystem::path entry);
    ~CacheEntryWriter();
    CacheEntryWriter(const CacheEntryWriter&) = delete;
    CacheEntryWriter& operator=(const CacheEntryWriter&) = delete;

    bool Append(const unsigned char* bytes, std::size_t n);
    bool Commit();

private:
    bool Flush();

    int fd_;
    std::vector<unsigned char> gathered_;
    std::filesystem::path temporary_;
    std::filesystem::path entry_;
};

// A file of the cache folder, for housekeeping.
struct UrlCacheFile {
    std::filesystem::path path;
    // A body on its way in, or left behind by a transfer that died; otherwise an entry.
    bool partial = false;
};

class UrlCache {
public:
    explicit UrlCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // The entry's path when the cache holds one for `url`.
    std::optional<std::string> Find(const std::string& url) const;
    // Null when the cache folder cannot take a file.
    std::unique_ptr<CacheEntryWriter> Begin(const std::string& url) const;
    // Every entry and partial body, in listing order; what else the folder holds is not the cache's.
    std::vector<UrlCacheFile> Files() const;

private:
    std::filesystem::path EntryPath(const std::string& url) const;

    std::filesystem::path folder_;
};

}  // namespace vexa
