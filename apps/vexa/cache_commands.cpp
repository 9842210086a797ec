// vexa cache list | housekeep | clear: what the loader keeps on this machine.

#include <filesystem>
#include <iostream>
#include <memory>

#include "apps/vexa/commands.hpp"
#include "common/text.hpp"
#include "loader/cache.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;

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

void ListFolder(const std::string& title, const std::string& folder, bool kinds) {
    std::cout << title << ": " << folder << '\n';
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code ignored;
        std::string detail = kinds ? KindOf(name)
                                   : (it->is_regular_file(ignored) ? std::to_string(it->file_size(ignored)) + " bytes"
                                                                   : "not a file");
        std::cout << "  " << name << "  (" << detail << ")\n";
    }
}

void List(Context& context) {
    auto cache = CacheOf(context.platform());
    if (cache.GetCacheRoot().empty()) return Fail(context, kBadInput, "the cache folder cannot be made");
    std::cout << "cache: " << cache.GetCacheRoot() << '\n';
    std::cout << loader::kWebDirSize << ": " << cache.ReadCacheCounter(loader::kWebDirSize) << " bytes\n";
    std::cout << loader::kNumScripts << ": " << cache.ReadCacheCounter(loader::kNumScripts) << " scripts\n";
    ListFolder("temporary folder", cache.GetTempFolder(), true);
    ListFolder("installed scripts", cache.GetInstalledScriptsFolder(), false);
    ListFolder("downloaded programs", cache.GetDownloadedProgramsFolder(), false);
}

void Report(const loader::HousekeepingReport& report) {
    if (report.removed.empty()) std::cout << "nothing to remove\n";
    for (const auto& path : report.removed) std::cout << "removed " << path << '\n';
}

}  // namespace

void AddCacheCommands(CLI::App& app, Context& context) {
    CLI::App* cache = app.add_subcommand("cache", "See and reset what the loader keeps on this machine");
    cache->require_subcommand(1);
    cache->footer("The cache lives in the Windows directory of the prefix that VEXA_PREFIX names.");
    cache->add_subcommand("list", "The cache's folders, its two counters and every entry")
        ->callback([&context] { List(context); });
    cache->add_subcommand("housekeep", "Run the clean-up that starts every run and say what it removed")
        ->callback([&context] { Report(CacheOf(context.platform()).Housekeep()); });
    cache->add_subcommand("clear", "Remove every kept script and program; live runs are left alone")
        ->callback([&context] { Report(CacheOf(context.platform()).Clear()); });
}

}  // namespace vexa::cli
