#include "loader/cache.hpp"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"
#include "signature/signature.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kCounterKey = {"SOFTWARE", "Brindell Wayfarer", "Reg"};
constexpr std::uint64_t kEvictAtLeast = 10'000'000;
constexpr std::uint64_t kScriptLimit = 2000;
constexpr std::size_t kScriptsEvicted = 1000;
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;

// Across file systems the bytes are copied after all.
bool CopyOrLink(const fs::path& file, const fs::path& copy) {
    std::error_code ec;
    fs::create_hard_link(file, copy, ec);
    return !ec || fs::copy_file(file, copy, ec);
}

std::string WithSeparator(const fs::path& path) { return WithTrailingSeparator(path.string(), kNativeSeparator); }

// The entries of `folder` whose names match `pattern`, in the order the listing yields them.
std::vector<fs::directory_entry> Listing(const std::string& folder, const char* pattern) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (MatchesWildcard(pattern, it->path().filename().string())) entries.push_back(*it);
    }
    return entries;
}

bool IsDirectory(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec) && !entry.is_symlink(ec);
}

bool IsFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec);
}

std::uint64_t SizeOf(const fs::path& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// Streams both files, so a large cabinet costs no more memory than a small one.
bool SameBytes(Files& files, const std::string& a, const std::string& b) {
    auto first = files.OpenShared(a);
    auto second = files.OpenShared(b);
    if (!first || !second || first->Size() != second->Size()) return false;
    std::vector<unsigned char> one(64 * 1024), other(one.size());
    for (std::uint64_t at = 0; at < first->Size();) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(one.size(), first->Size() - at));
        if (first->ReadAt(at, one.data(), want) != want || second->ReadAt(at, other.data(), want) != want ||
            !std::equal(one.begin(), one.begin() + static_cast<std::ptrdiff_t>(want), other.begin()))
            return false;
        at += want;
    }
    return true;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 19 && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
}

std::string ChecksumOf(std::string_view digits) {
    return std::to_string(SignatureChecksum(reinterpret_cast<const unsigned char*>(digits.data()), digits.size()));
}

// "number'checksum", valid only when the checksum of the number's digits matches.
std::optional<std::uint64_t> ParseCounter(std::string_view text) {
    std::size_t apostrophe = text.find('\'');
    if (apostrophe == std::string_view::npos) return std::nullopt;
    std::string_view number = text.substr(0, apostrophe);
    std::string_view checksum = text.substr(apostrophe + 1);
    if (!AllDigits(number) || !AllDigits(checksum) || ChecksumOf(number) != checksum) return std::nullopt;
    return std::stoull(std::string(number));
}

}  // namespace

std::uint64_t ProgramCacheLimit(std::uint64_t driveTotalBytes) {
    double share = static_cast<double>(driveTotalBytes) * 0.05;
    return static_cast<std::uint64_t>(std::clamp(share, 10'000'000.0, 2'147'483'647.0));
}

LocalCache::LocalCache(Files& files, Clock& clock, Registry& registry, std::string windowsDirectory)
    : files_(files), clock_(clock), registry_(registry), windowsDirectory_(std::move(windowsDirectory)) {}

std::string LocalCache::Folder(const std::string& relative) {
    fs::path folder = fs::path(windowsDirectory_) / "Temporary VexaWeb Files" / relative;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec) ? WithSeparator(folder) : std::string();
}

std::string LocalCache::GetCacheRoot() { return Folder(""); }
std::string LocalCache::GetTempFolder() { return Folder("Temp"); }
std::string LocalCache::GetInstalledScriptsFolder() { return Folder("Installed Scripts"); }
std::string LocalCache::GetDownloadedProgramsFolder() { return Folder("Downloaded Programs"); }

std::string LocalCache::KeptProgramEntry(const std::string& folder, std::int64_t size, const std::string& signature) {
    if (folder.empty()) return {};
    std::string entry = folder + LongSigToShortSig(signature) + ".CAB";
    std::error_code error;
    auto bytes = fs::file_size(entry, error);
    if (error || size < 0 || bytes != static_cast<std::uintmax_t>(size)) return {};
    return entry;
}

std::string LocalCache::MakeUniqueTempDir(const std::string& prefix) {
    std::string temp = GetTempFolder();
    if (temp.empty()) return {};
    std::string base = temp + prefix + std::to_string(clock_.TickCount());
    std::error_code ec;
    if (fs::create_directory(base, ec)) return base + kNativeSeparator;
    for (int suffix = 0; suffix <= 300; ++suffix) {
        std::string name = base + std::to_string(suffix);
        if (fs::create_directory(name, ec)) return name + kNativeSeparator;
    }
    return {};
}

bool LocalCache::RemoveTempTree(const std::string& path) {
    if (path.find("..") != std::string::npos) return false;
    std::string temp = GetTempFolder();
    fs::path tree = fs::path(path).lexically_normal();
    if (!tree.has_filename()) tree = tree.parent_path();
    std::string name = tree.filename().string();
    bool inside = !temp.empty() && tree.string().size() > temp.size() && tree.string().starts_with(temp);
    bool ours = StartsWithIgnoreCase(name, "~pr") || StartsWithIgnoreCase(name, "~us") || StartsWithIgnoreCase(name, "~tm");
    if (!inside || !ours) return false;
    std::error_code ec;
    fs::remove_all(tree, ec);
    return !ec;
}

std::string LocalCache::EntryPath(const std::string& file, CacheKind kind, std::string signature) {
    if (signature.empty()) signature = GenerateFileSignature(files_, file);
    std::string folder = kind == CacheKind::Script ? GetInstalledScriptsFolder() : GetDownloadedProgramsFolder();
    if (signature.empty() || folder.empty()) return {};
    return folder + LongSigToShortSig(signature) + ".CAB";
}

bool LocalCache::FindCachedCab(const std::string& file, CacheKind kind) {
    std::string entry = EntryPath(file, kind);
    std::error_code ec;
    return !entry.empty() && fs::is_regular_file(entry, ec) && SameBytes(files_, file, entry);
}

// The entry never holds bytes other than those its name promises, even after a crash
// mid-copy: a copy is made in a work directory and renamed into place, and a new entry
// that may share the file's bytes is a link, which appears whole.
bool LocalCache::PlaceEntry(const std::string& file, const std::string& entry, bool mayShare) {
    std::error_code ec;
    if (mayShare && (fs::create_hard_link(file, entry, ec), !ec)) return true;
    std::string work = MakeUniqueTempDir("~tm");
    if (work.empty()) return false;
    fs::path copy = fs::path(work) / fs::path(entry).filename();
    bool kept = (mayShare ? CopyOrLink(file, copy) : fs::copy_file(file, copy, ec)) && (fs::rename(copy, entry, ec), !ec);
    RemoveTempTree(work);
    return kept;
}

bool LocalCache::KeepCachedCab(const std::string& file, CacheKind kind, const KeepOptions& options) {
    std::string entry = EntryPath(file, kind, options.signature);
    if (entry.empty()) return false;
    std::error_code ec;
    bool existed = fs::exists(entry, ec);
    if (!PlaceEntry(file, entry, options.mayShare)) return false;
    files_.SetFileTime(entry, clock_.LocalNow(), false);
    if (!existed) {
        const char* name = kind == CacheKind::Program ? kWebDirSize : kNumScripts;
        // A counter recomputed just now has already counted the new entry.
        Counter counter = LoadCounter(name);
        if (!counter.recomputed) WriteCacheCounter(name, counter.value + (kind == CacheKind::Program ? SizeOf(entry) : 1));
    }
    return true;
}

LocalCache::Counter LocalCache::LoadCounter(const std::string& name) {
    if (auto text = registry_.ReadString(RegistryRoot::LocalMachine, kCounterKey, name)) {
        if (auto value = ParseCounter(*text)) return {*value, false};
    }
    std::uint64_t value = RecomputeCounter(name);
    WriteCacheCounter(name, value);
    return {value, true};
}

std::uint64_t LocalCache::ReadCacheCounter(const std::string& name) { return LoadCounter(name).value; }

void LocalCache::WriteCacheCounter(const std::string& name, std::uint64_t number) {
    std::string digits = std::to_string(number);
    registry_.WriteString(RegistryRoot::LocalMachine, kCounterKey, name, digits + "'" + ChecksumOf(digits));
}

std::uint64_t LocalCache::RecomputeCounter(const std::string& name) {
    bool sizes = name == kWebDirSize;
    std::uint64_t total = 0;
    for (const auto& entry : Listing(sizes ? GetDownloadedProgramsFolder() : GetInstalledScriptsFolder(), "*.CAB")) {
        if (IsFile(entry)) total += sizes ? SizeOf(entry.path()) : 1;
    }
    return total;
}

std::int64_t LocalCache::AgeInSeconds(const std::string& path) {
    auto written = files_.LastWriteTime(path);
    if (!written) return 0;  // unreadable: treated as new, and retried at the next run
    return TimeStampSeconds(clock_.LocalNow()) - TimeStampSeconds(*written);
}

HousekeepingReport LocalCache::Housekeep() {
    HousekeepingReport report;
    RemoveAbandonedProductDirectories(report);
    RemoveOldEntries(report);
    LimitProgramCache(report);
    LimitScriptCache(report);
    return report;
}

// A live run holds its marker open, so only the markers of runs that have ended can go.
void LocalCache::RemoveAbandonedProductDirectories(HousekeepingReport& report) {
    for (const auto& entry : Listing(GetTempFolder(), "~pr*.*")) {
        if (!IsDirectory(entry)) continue;
        if (!files_.DeleteUnlessHeld((entry.path() / kHeldMarkerName).string())) {
            report.running.push_back(entry.path().string());
        } else if (RemoveTempTree(entry.path().string())) {
            report.removed.push_back(entry.path().string());
        }
    }
}

void LocalCache::RemoveOldEntries(HousekeepingReport& report) {
    std::string temp = GetTempFolder();
    std::error_code ec;
    for (const auto& entry : Listing(temp, "~dl*.tmp")) {
        std::string path = entry.path().string();
        if (IsFile(entry) && SizeOf(path) == 0 && AgeInSeconds(path) / kDay >= 5 && fs::remove(path, ec))
            report.removed.push_back(path);
    }
    struct Rule {
        const char* pattern;
        std::int64_t unit;
        std::int64_t olderThan;
    };
    for (const Rule& rule : {Rule{"~us*.*", kDay, 29}, Rule{"~tm*.*", kHour, 1}}) {
        for (const auto& entry : Listing(temp, rule.pattern)) {
            std::string path = entry.path().string();
            if (IsDirectory(entry) && AgeInSeconds(path) / rule.unit > rule.olderThan && RemoveTempTree(path))
                report.removed.push_back(path);
        }
    }
}

void LocalCache::LimitProgramCache(HousekeepingReport& report) {
    auto space = files_.SpaceOfDrive(GetDownloadedProgramsFolder());
    if (ReadCacheCounter(kWebDirSize) < ProgramCacheLimit(space ? space->totalBytes : 0)) return;
    Evict(kWebDirSize, [](std::size_t, std::uint64_t bytes) { return bytes >= kEvictAtLeast; }, report);
}

void LocalCache::LimitScriptCache(HousekeepingReport& report) {
    if (ReadCacheCounter(kNumScripts) < kScriptLimit) return;
    Evict(kNumScripts, [](std::size_t count, std::uint64_t) { return count >= kScriptsEvicted; }, report);
}

void LocalCache::Evict(const char* counter, const std::function<bool(std::size_t, std::uint64_t)>& enough,
                       HousekeepingReport& report) {
    std::string folder =
        std::string_view(counter) == kWebDirSize ? GetDownloadedProgramsFolder() : GetInstalledScriptsFolder();
    std::size_t count = 0;
    std::uint64_t bytes = 0;
    std::error_code ec;
    for (const auto& entry : Listing(folder, "*.CAB")) {
        if (enough(count, bytes)) break;
        std::uint64_t size = SizeOf(entry.path());
        if (IsFile(entry) && fs::remove(entry.path(), ec)) {
            ++count;
            bytes += size;
            report.removed.push_back(entry.path().string());
        }
    }
    WriteCacheCounter(counter, RecomputeCounter(counter));
}

HousekeepingReport LocalCache::Clear() {
    HousekeepingReport report;
    RemoveAbandonedProductDirectories(report);
    RemoveOldEntries(report);
    for (const char* counter : {kWebDirSize, kNumScripts})
        Evict(counter, [](std::size_t, std::uint64_t) { return false; }, report);
    return report;
}

}  // namespace vexa::loader
