// vexa cache list | housekeep | clear: what the loader keeps on this machine, and what the
// Internet layer keeps for it where this program keeps that itself.

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "apps/vexa/commands.hpp"
#include "common/text.hpp"
#include "loader/cache.hpp"
#include "platform/posix/url_cache.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;

// Longer than any live transfer leaves its body unwritten (the loader asks again after 300
// quiet seconds), and than a download that has just ended waits for its checks.
constexpr auto kInUseFor = std::chrono::minutes(10);

loader::LocalCache CacheOf(Platform& platform) {
    return loader::LocalCache(platform.files, platform.clock, platform.registry,
                              platform.shell.FolderPath(SpecialFolder::Windows));
}

// What an entry of the temporary folder is, by the prefix its maker gave it.
std::string KindOf(const std::string& name) {
    struct Kind {
        const char* prefix;
        const char* text;
    };
    for (const Kind& kind : {Kind{"~pr", "product directory of a run"}, Kind{"~tm", "work directory"},
                             Kind{"~us", "pieces of a split download"}, Kind{"~dl", "download marker"},
                             Kind{"~vx", "shell link"}}) {
        if (StartsWithIgnoreCase(name, kind.prefix)) return kind.text;
    }
    return "not the loader's";
}

std::string SizeText(const fs::path& path) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(path, error);
    return error ? "not a file" : std::to_string(size) + " bytes";
}

void ListFolder(const std::string& title, const std::string& folder, bool kinds) {
    std::cout << title << ": " << folder << '\n';
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::cout << "  " << name << "  (" << (kinds ? KindOf(name) : SizeText(it->path())) << ")\n";
    }
}

bool WrittenLately(const fs::path& path) {
    std::error_code error;
    auto written = fs::last_write_time(path, error);
    return error || fs::file_time_type::clock::now() - written < kInUseFor;
}

// The Internet cache of this machine, when the toolbox reaches it (not WinInet's).
std::optional<UrlCache> InternetCacheOf(Context& context) {
    std::string folder = context.Machine().OwnInternetCache();
    if (folder.empty()) return std::nullopt;
    return UrlCache(folder);
}

void ListInternetCache(Context& context) {
    auto cache = InternetCacheOf(context);
    if (!cache) return;
    std::cout << "Internet cache: " << context.Machine().OwnInternetCache() << '\n';
    for (const UrlCacheFile& file : cache->Files())
        std::cout << "  " << file.path.filename().string() << "  (" << (file.partial ? "partial download, " : "")
                  << SizeText(file.path) << ")\n";
}

void List(Context& context) {
    auto cache = CacheOf(context.platform());
    if (cache.GetCacheRoot().empty()) return Fail(context, kNegative, "the cache folder cannot be made");
    std::cout << "cache: " << cache.GetCacheRoot() << '\n';
    std::cout << loader::kWebDirSize << ": " << cache.ReadCacheCounter(loader::kWebDirSize) << " bytes\n";
    std::cout << loader::kNumScripts << ": " << cache.ReadCacheCounter(loader::kNumScripts) << " scripts\n";
    ListFolder("temporary folder", cache.GetTempFolder(), true);
    ListFolder("installed scripts", cache.GetInstalledScriptsFolder(), false);
    ListFolder("downloaded programs", cache.GetDownloadedProgramsFolder(), false);
    ListInternetCache(context);
}

// Removes the Internet cache's files that nothing can be using: a partial body that no
// transfer holds, and with `entries` a whole one, in either case not written lately. While a
// run is going the entries stay: it may still read the ones it fetched.
void TidyInternetCache(Context& context, bool entries, loader::HousekeepingReport& report) {
    auto cache = InternetCacheOf(context);
    if (!cache) return;
    entries = entries && report.running.empty();
    for (const UrlCacheFile& file : cache->Files()) {
        if ((!file.partial && !entries) || WrittenLately(file.path)) continue;
        if (context.platform().files.DeleteUnlessHeld(file.path.string())) report.removed.push_back(file.path.string());
    }
}

void Report(const loader::HousekeepingReport& report) {
    if (report.removed.empty()) std::cout << "nothing to remove\n";
    for (const auto& path : report.removed) std::cout << "removed " << path << '\n';
    for (const auto& path : report.running) std::cout << "left " << path << ": its run is going\n";
}

void Housekeep(Context& context) {
    auto report = CacheOf(context.platform()).Housekeep();
    TidyInternetCache(context, false, report);
    Report(report);
}

void Clear(Context& context) {
    auto report = CacheOf(context.platform()).Clear();
    TidyInternetCache(context, true, report);
    Report(report);
    if (!report.running.empty()) std::cout << "the Internet cache is left as it is while a run is going\n";
}

}  // namespace

void AddCacheCommands(CLI::App& app, Context& context) {
    CLI::App* cache = app.add_subcommand("cache", "See and reset what the loader keeps on this machine");
    cache->require_subcommand(1);
    cache->footer(
        "The cache lives in the Windows directory of the prefix that VEXA_PREFIX names, the Internet cache beside "
        "it. A file of the Internet cache written in the last 10 minutes, or a partial download that a transfer "
        "holds, may be in use and is never removed; nor are the Internet cache's entries while a run is going.");
    cache->add_subcommand("list", "The cache's folders, its two counters and every entry, the Internet cache's too")
        ->callback([&context] { List(context); });
    cache->add_subcommand("housekeep",
                          "Run the clean-up that starts every run, remove partial downloads that no transfer uses, "
                          "and say what went")
        ->callback([&context] { Housekeep(context); });
    cache->add_subcommand("clear",
                          "Remove every kept script and program and the Internet cache's entries; live runs are "
                          "left alone")
        ->callback([&context] { Clear(context); });
}

}  // namespace vexa::cli
