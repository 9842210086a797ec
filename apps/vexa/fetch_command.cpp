// vexa fetch: one URL through the download engine, copied into a folder.

#include <filesystem>
#include <memory>
#include <iostream>
#include <optional>

#include "apps/vexa/commands.hpp"
#include "apps/vexa/fetch_window.hpp"
#include "common/file_beside.hpp"
#include "common/text.hpp"
#include "loader/cache.hpp"
#include "loader/texts.hpp"
#include "loader/url_transfer.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;

struct FetchArguments {
    std::string url;
    std::string folder;
};

// The name the URL gives its file: the last part of its path, without query or fragment.
std::string UrlFileName(const std::string& url) {
    std::string path = url.substr(0, url.find_first_of("?#"));
    return path.substr(path.find_last_of("/\\") + 1);
}

// Puts the fetched file at `target`. A file from the Internet cache is linked where the
// file system allows, which saves writing it twice: the cache replaces an entry by renaming
// a new file over it, never by writing into it. A local file named by a "file://" URL is the
// user's own and is copied. Either is made beside the target and renamed over it, so a
// failure leaves what was there.
bool Place(Files& files, const fs::path& fetched, const fs::path& target, bool local, std::error_code& error) {
    if (IsSameFile(fetched, target)) return true;
    auto placed = FileBesideOf(files, target);
    if (!placed->Made()) {
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    bool linked = false;
    if (!local && placed->FreeName()) {
        std::error_code unlinked;  // where the file system cannot link, the file is copied
        fs::create_hard_link(fetched, placed->Path(), unlinked);
        linked = !unlinked;
        if (linked) placed->KeepPermissions();  // the cache's entry is the same file
    }
    if (!linked && !placed->CopyFrom(fetched)) error = std::make_error_code(std::errc::io_error);
    if (!error) error = placed->Commit();
    return !error;
}

void Fetch(Context& context, const FetchArguments& args) {
    if (std::string refusal = loader::UrlRefusal(args.url); !refusal.empty())
        return Fail(context, kBadInput, args.url + ": " + refusal);
    std::string name = UrlFileName(args.url);
    if (name.empty()) return Fail(context, kBadInput, args.url + ": the URL names no file");
    std::error_code error;
    if (!fs::is_directory(args.folder, error)) return Fail(context, kBadInput, args.folder + ": not a folder");
    Platform& platform = context.platform();
    loader::LocalCache cache(platform.files, platform.clock, platform.registry,
                             platform.shell.FolderPath(SpecialFolder::Windows));
    std::string markers = cache.GetTempFolder();
    if (markers.empty()) return Fail(context, kBadInput, "the temporary folder cannot be made");

    FetchWindow window(platform, markers, name);
    auto fetched = window.Fetch(args.url);
    if (!fetched) return Fail(context, kNegative, loader::DownloadFailedText(args.url) + "\n" + CauseLine(window.Cause()));
    fs::path target = fs::path(args.folder) / name;
    if (!Place(platform.files, *fetched, target, StartsWithIgnoreCase(args.url, "FILE://"), error))
        return Fail(context, kBadInput, target.string() + ": " + error.message());
    std::cout << target.string() << '\n';
}

}  // namespace

void AddFetchCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<FetchArguments>();
    CLI::App* fetch = app.add_subcommand(
        "fetch", "Fetch a URL as the loader does and copy the file into a folder under the URL's file name");
    fetch->add_option("URL", args->url, "http://, https:// or file:// URL")->required();
    fetch->add_option("DIR", args->folder, "Folder to copy the file into")->required();
    fetch->footer(
        "A transfer that stops sending is restarted after 300 quiet seconds. The server must announce the "
        "file's length. A failed download's message is followed by its cause (\"cause: HTTP 404\"). Exit status: "
        "0 fetched, 1 the download failed, 2 bad input (also a URL that is not http://, https:// or file://).");
    fetch->callback([&context, args] { Fetch(context, *args); });
}

}  // namespace vexa::cli
