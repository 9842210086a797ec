#pragma once
// Everything the loader keeps on the machine lives in one tree under the Windows directory:
// a temporary folder for run, work and piece directories and download markers, and two
// content-addressed caches, one of trusted script cabinets and one of program cabinets.
// Two registry counters account for the caches, and a housekeeping pass at the start of
// every run keeps the tree bounded.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/registry.hpp"

namespace vexa::loader {

enum class CacheKind { Script, Program };

inline constexpr const char* kWebDirSize = "WebDirSize";
inline constexpr const char* kNumScripts = "NumScripts";
// Held open by a live run in its product directory; housekeeping leaves such a directory alone.
inline constexpr const char* kHeldMarkerName = "dntdlt.Flg";

// The program cache may take 5 % of its drive, but never less than 10,000,000 bytes nor
// more than 2,147,483,647.
std::uint64_t ProgramCacheLimit(std::uint64_t driveTotalBytes);

struct HousekeepingReport {
    std::vector<std::string> removed;  // paths, in the order they went
    std::vector<std::string> running;  // product directories whose runs hold them, left alone
};

class LocalCache {
public:
    // `windowsDirectory` is the system's Windows directory, the base of the tree.
    LocalCache(Files& files, Clock& clock, Registry& registry, std::string windowsDirectory);

    // The folders, created with their parents when asked for; every path ends with a
    // separator. Empty when the folder cannot be created.
    std::string GetCacheRoot();
    std::string GetTempFolder();
    std::string GetInstalledScriptsFolder();
    std::string GetDownloadedProgramsFolder();

    // A new directory in the temporary folder named `prefix` + the tick count, or when
    // that cannot be made, + the tick count + 0 ... 300; ends with a separator, or is
    // empty when none could be made.
    std::string MakeUniqueTempDir(const std::string& prefix);
    // Removes a run, piece or work directory of the temporary folder, and nothing else.
    bool RemoveTempTree(const std::string& path);

    // The kept program cabinet named by `signature` in the program folder `folder` when it
    // has `size` bytes; its bytes are not checked.
    static std::string KeptProgramEntry(const std::string& folder, std::int64_t size, const std::string& signature);
    // Whether a cabinet with exactly these bytes is kept.
    bool FindCachedCab(const std::string& file, CacheKind kind);
    struct KeepOptions {
        // The file's long signature when the caller has just checked it; computed otherwise.
        std::string signature;
        // A file that nobody writes in place (a download, a joined set) may share its bytes
        // with the entry; a user's own file is copied, so the cache never touches it.
        bool mayShare = false;
    };
    // Keeps a copy of the cabinet under its content's name and counts a new entry.
    bool KeepCachedCab(const std::string& file, CacheKind kind, const KeepOptions& options);
    bool KeepCachedCab(const std::string& file, CacheKind kind) { return KeepCachedCab(file, kind, {}); }

    // A counter as stored, or recomputed from its folder (and stored) when it is missing
    // or its checksum does not match.
    std::uint64_t ReadCacheCounter(const std::string& name);
    void WriteCacheCounter(const std::string& name, std::uint64_t number);

    // The clean-up at the start of every run: abandoned product directories, stale
    // download markers, old piece and work directories, then the two cache limits.
    HousekeepingReport Housekeep();
    // Removes every kept cabinet and tidies the temporary folder as housekeeping does, so
    // live product directories stay.
    HousekeepingReport Clear();

private:
    struct Counter {
        std::uint64_t value = 0;
        bool recomputed = false;
    };
    std::string Folder(const std::string& relative);
    std::string EntryPath(const std::string& file, CacheKind kind, std::string signature = {});
    bool PlaceEntry(const std::string& file, const std::string& entry, bool mayShare);
    Counter LoadCounter(const std::string& name);
    std::uint64_t RecomputeCounter(const std::string& name);
    std::int64_t AgeInSeconds(const std::string& path);
    void RemoveAbandonedProductDirectories(HousekeepingReport& report);
    void RemoveOldEntries(HousekeepingReport& report);
    void LimitProgramCache(HousekeepingReport& report);
    void LimitScriptCache(HousekeepingReport& report);
    // Deletes the counter's "*.CAB" files in listing order until `enough` (files and bytes
    // deleted so far) says so, then recomputes the counter.
    void Evict(const char* counter, const std::function<bool(std::size_t, std::uint64_t)>& enough,
               HousekeepingReport& report);

    Files& files_;
    Clock& clock_;
    Registry& registry_;
    std::string windowsDirectory_;
};

}  // namespace vexa::loader
