// vexa cab make, list, expand, split and join: cabinets through the cabinet control.

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>

#include "apps/vexa/cabinet_host.hpp"
#include "apps/vexa/commands.hpp"
#include "apps/vexa/progress.hpp"
#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "cabinet/cabinet_jobs.hpp"
#include "cabinet/file_selection.hpp"
#include "cabinet/split_file.hpp"
#include "common/file_beside.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/timestamp.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;

std::string TextAt(const std::vector<Value>& arguments, std::size_t i) {
    return std::get<std::string>(arguments.at(i));
}
std::int32_t LongAt(const std::vector<Value>& arguments, std::size_t i) {
    return std::get<std::int32_t>(arguments.at(i));
}

struct MakeArguments {
    std::string cabinet;
    std::vector<std::string> files;
    std::string fromDirectory;
    std::int32_t reserve = 0;
    bool folderPerFile = false;
};

struct Source {
    std::string path;
    std::string name;  // in the cabinet; empty: the file's own name
};

// FILE or FILE=NAME; the last "=" separates, so a path may contain one.
Source SourceOf(const std::string& argument) {
    std::size_t equals = argument.rfind('=');
    if (equals == std::string::npos) return {argument, {}};
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

// In each folder its files by the bytes of their names, then its folders in the same order,
// each with all it holds: an order that does not depend on the file system.
bool StoredBefore(const std::string& a, const std::string& b) {
    for (std::size_t at = 0;;) {
        std::size_t aEnd = a.find('\\', at), bEnd = b.find('\\', at);
        bool aFolder = aEnd != std::string::npos, bFolder = bEnd != std::string::npos;
        std::string_view aPart = std::string_view(a).substr(at, aEnd - at);
        std::string_view bPart = std::string_view(b).substr(at, bEnd - at);
        if (aFolder != bFolder) return bFolder;
        if (aPart != bPart || !aFolder) return aPart < bPart;
        at = aEnd + 1;
    }
}

// Why the walk left an entry out, for its line on standard error.
std::string WhyLeftOut(const std::string& path) {
    std::error_code error;
    fs::file_type type = fs::symlink_status(path, error).type();
    if (type == fs::file_type::symlink) return "a link";
    return type == fs::file_type::directory ? "cannot be read" : "not a regular file";
}

// Every regular file under the directory, found by the control's own walk in one slice, which
// never follows a link, stored under its path relative to the directory with "\\" between
// folders, in the order of StoredBefore. What the walk left out is named on standard error.
std::vector<Source> SourcesUnder(const std::string& directory) {
    std::string start = WithTrailingSeparator(directory, kNativeSeparator);
    FileSelection selection;
    selection.Select(start + "*.*", true, std::numeric_limits<std::int32_t>::max());
    for (const std::string& path : selection.Skipped())
        std::cerr << "vexa: " << path << ": left out, " << WhyLeftOut(path) << '\n';
    std::vector<Source> sources;
    for (const std::string& path : selection.Files()) {
        std::string name = path.substr(start.size());
        std::replace(name.begin(), name.end(), kNativeSeparator, '\\');
        sources.push_back({path, name});
    }
    std::sort(sources.begin(), sources.end(),
              [](const Source& a, const Source& b) { return StoredBefore(a.name, b.name); });
    return sources;
}

// The files named and those under --from-dir, each checked; nullopt after a failure. A
// file named is never the cabinet itself; the cabinet found under --from-dir is left out.
std::optional<std::vector<Source>> Sources(Context& context, const MakeArguments& args) {
    std::vector<Source> sources;
    for (const std::string& file : args.files) sources.push_back(SourceOf(file));
    for (const Source& source : sources) {
        if (IsSameFile(source.path, args.cabinet))
            Fail(context, kBadInput, source.path + ": is the cabinet being made, so it cannot go into it");
    }
    if (!args.fromDirectory.empty()) {
        if (!fs::is_directory(args.fromDirectory)) {
            Fail(context, kBadInput, args.fromDirectory + ": not a directory");
            return std::nullopt;
        }
        for (const Source& source : SourcesUnder(args.fromDirectory)) {
            if (!IsSameFile(source.path, args.cabinet)) sources.push_back(source);
            else std::cerr << "vexa: " << source.path << ": left out, the cabinet being made\n";
        }
    }
    if (sources.empty()) Fail(context, kBadInput, "no files to put in the cabinet");
    for (const Source& source : sources) {
        std::error_code error;
        if (!fs::is_regular_file(source.path, error))
            Fail(context, kBadInput, source.path + ": " + WhyUnreadable(source.path));
    }
    if (context.exitCode != kSuccess) return std::nullopt;
    return sources;
}

void Make(Context& context, const MakeArguments& args) {
    Progress progress;
    std::uint64_t total = 0;
    std::string outcome;
    EventFunction events([&](const EventEntry& event, const std::vector<Value>& arguments) {
        outcome = event.name;
        if (event.name == "MakeCabProgress") {
            progress.Show("adding " + TextAt(arguments, 1), static_cast<std::uint64_t>(LongAt(arguments, 2)), total);
        } else if (event.name == "MakeCabDone") {
            progress.Break();
            std::cout << args.cabinet << ": " << LongAt(arguments, 1) << " bytes in, " << LongAt(arguments, 2)
                      << " bytes compressed\n";
        }
    });
    std::error_code unknown;  // a cabinet path that cannot be looked at fails at its making
    if (fs::is_directory(args.cabinet, unknown)) return Fail(context, kBadInput, args.cabinet + ": is a directory");
    auto sources = Sources(context, args);
    if (!sources) return;
    CabinetHost host(context.platform(), events);
    for (const Source& source : *sources) {
        std::error_code error;
        total += fs::file_size(source.path, error);
        host.Control().AddFileToCabImage(source.path, source.name);
    }
    host.Control().SetFolderLayout(args.folderPerFile ? FolderLayout::FolderPerFile : FolderLayout::Continuous);
    host.Control().MakeCabFile(args.cabinet, args.reserve);
    host.RunUntilJobEnds();
    if (outcome != "MakeCabDone")
        Fail(context, kNegative, args.cabinet + ": the cabinet could not be made", host.FailureCause());
}

// Why a cabinet cannot be listed: what is wrong with the file, or the member that stops
// the listing and why.
std::string WhyNotListed(Files& files, const std::string& cabinet, std::vector<cab::MemberInfo>& members) {
    auto file = files.OpenShared(cabinet);
    if (!file) return WhyUnreadable(cabinet);
    cab::FileCabinetSource source(std::move(file));
    std::string failedAt;
    return cab::FailureCause(cab::ListMembers(source, 0, members, &failedAt), failedAt);
}

// Opens the cabinet for expansion, or says why it cannot.
bool Open(Context& context, VexaCB& control, const std::string& cabinet) {
    if (control.OpenCabForExpansion(cabinet)) return true;
    std::vector<cab::MemberInfo> members;
    Fail(context, kBadInput, cabinet + ": " + WhyNotListed(context.platform().files, cabinet, members));
    return false;
}

// "2024-02-29 12:34:56"; a hostile cabinet may store any fields, which are shown as they are.
std::string StoredTime(const cab::MemberInfo& member) {
    TimeStamp t = FromDosDateTime({member.dosDate, member.dosTime});
    std::ostringstream text;
    text << std::setfill('0') << std::setw(4) << t.year << '-' << std::setw(2) << t.month << '-' << std::setw(2)
         << t.day << ' ' << std::setw(2) << t.hour << ':' << std::setw(2) << t.minute << ':' << std::setw(2)
         << t.second;
    return text.str();
}

// Size, stored date and time, name: one member a line, in cabinet order.
void List(Context& context, const std::string& cabinet) {
    std::vector<cab::MemberInfo> members;
    if (std::string why = WhyNotListed(context.platform().files, cabinet, members); !why.empty())
        return Fail(context, kBadInput, cabinet + ": " + why);
    for (const cab::MemberInfo& member : members)
        std::cout << std::setw(10) << member.size << "  " << StoredTime(member) << "  " << member.name << '\n';
}

struct ExpandArguments {
    std::string cabinet;
    std::string directory;
    std::string overwrite = "ask";
};

// One expansion at the console: progress, the overwrite questions and the outcome.
class ConsoleExpansion {
public:
    ConsoleExpansion(Context& context, ExpandArguments args)
        : context_(context),
          args_(std::move(args)),
          events_([this](const EventEntry& event, const std::vector<Value>& arguments) { OnEvent(event, arguments); }),
          host_(context.platform(), events_) {}

    void Run() {
        std::error_code error;
        if (fs::exists(args_.directory, error) && !fs::is_directory(args_.directory, error))
            return Fail(context_, kBadInput, args_.directory + ": not a directory");
        if (!Open(context_, host_.Control(), args_.cabinet)) return;
        files_ = static_cast<std::uint64_t>(host_.Control().GetNumFilesInCab());
        if (args_.overwrite == "none") SkipExisting();
        host_.Control().ExpandCabFile(args_.directory);
        host_.RunUntilJobEnds();
        if (outcome_ == "ExpandCabError")
            Fail(context_, kNegative, args_.cabinet + ": expanding into " + args_.directory + " failed",
                 host_.FailureCause());
        if (outcome_ == "ExpandCabCancel") context_.exitCode = std::max<int>(context_.exitCode, kNegative);
    }

private:
    // Files already there are skipped before the expansion, rather than kept one question
    // at a time, each of which the worker waits for.
    void SkipExisting() {
        VexaCB& control = host_.Control();
        for (std::int32_t i = 0; i < control.GetNumFilesInCab(); ++i) {
            std::error_code error;
            fs::path place = fs::path(args_.directory) / NativePath(control.GetFilenameInCab(i));
            if (fs::exists(fs::symlink_status(place, error))) control.SkipFileInCab(i, true);
        }
    }

    void OnEvent(const EventEntry& event, const std::vector<Value>& arguments) {
        outcome_ = event.name;
        if (event.name == "ExpandCabProgress") {
            progress_.Show("expanding " + TextAt(arguments, 2), ++expanded_, files_);
        } else if (event.name == "ExpandCabOverwriteExistingFile") {
            progress_.Break();
            if (std::optional<std::int32_t> answer = Answer(TextAt(arguments, 1)))
                host_.Control().OverwriteExistingFile(*answer);
        } else if (event.name != "ExpandCabError") {
            progress_.Break();
            std::cout << args_.directory << ": " << LongAt(arguments, 2) << " files expanded"
                      << (event.name == "ExpandCabCancel" ? ", then cancelled" : "") << '\n';
        }
    }

    // Asked: y overwrites, n keeps, a overwrites this and every later file, c or no answer
    // cancels. "All" is left unanswered: the control then overwrites without asking again,
    // where each answer would cost the worker a look at it.
    std::optional<std::int32_t> Answer(const std::string& existing) {
        if (args_.overwrite == "all") return std::nullopt;
        if (args_.overwrite == "none") return kOverwriteKeep;
        std::cerr << "overwrite " << existing << "? [y]es, [n]o, [a]ll, [c]ancel: " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer) || answer.empty()) return kOverwriteCancel;
        switch (answer.front()) {
            case 'y':
            case 'Y': return kOverwriteYes;
            case 'n':
            case 'N': return kOverwriteKeep;
            case 'a':
            case 'A': args_.overwrite = "all"; return std::nullopt;
            default: return kOverwriteCancel;
        }
    }

    Context& context_;
    ExpandArguments args_;
    Progress progress_;
    std::uint64_t files_ = 0;
    std::uint64_t expanded_ = 0;
    std::string outcome_;
    EventFunction events_;
    CabinetHost host_;
};

void Split(Context& context, const std::string& file, std::int32_t pieces) {
    EventFunction none([](const EventEntry&, const std::vector<Value>&) {});
    CabinetHost host(context.platform(), none);
    if (std::string message = host.Control().SplitFile(file, pieces); !message.empty())
        Fail(context, kBadInput, message);
}

void Join(Context& context, const std::string& file, std::int32_t pieces) {
    if (std::string message = JoinSplitSet(context.platform().files, file, pieces); !message.empty())
        Fail(context, kBadInput, message);
}

void AddMake(CLI::App& cab, Context& context) {
    auto args = std::make_shared<MakeArguments>();
    CLI::App* make = cab.add_subcommand("make", "Make a cabinet (MSZIP) from files");
    make->add_option("OUT", args->cabinet, "Cabinet to write")->required();
    make->add_option("FILE", args->files, "A file to add; FILE=NAME stores it as NAME (\"\\\" between folders)");
    make->add_option("--from-dir", args->fromDirectory, "Add every file under DIR, stored by its path relative to DIR");
    make->add_option("--reserve", args->reserve,
                     "Bytes kept for a code-signing certificate, where signing tools look for it")
        ->check(CLI::Range(0, 60000));
    make->add_flag("--folder-per-file", args->folderPerFile,
                   "Lay folders out as the cabinet control does for pages: every file but the first and the last "
                   "in a folder of its own. Otherwise files share folders of up to 900,000 bytes, which makes a "
                   "smaller cabinet faster");
    make->callback([&context, args] { Make(context, *args); });
}

void AddList(CLI::App& cab, Context& context) {
    auto cabinet = std::make_shared<std::string>();
    CLI::App* list = cab.add_subcommand("list", "List the files in a cabinet, in cabinet order");
    list->add_option("CAB", *cabinet, "Cabinet file")->required();
    list->callback([&context, cabinet] { List(context, *cabinet); });
}

void AddExpand(CLI::App& cab, Context& context) {
    auto args = std::make_shared<ExpandArguments>();
    CLI::App* expand = cab.add_subcommand("expand", "Expand a cabinet into a directory, creating its folders");
    expand->add_option("CAB", args->cabinet, "Cabinet file")->required();
    expand->add_option("DIR", args->directory, "Directory to expand into")->required();
    expand->add_option("--overwrite", args->overwrite, "Existing files: ask (on standard input), all or none")
        ->check(CLI::IsMember({"ask", "all", "none"}));
    expand->callback([&context, args] { ConsoleExpansion(context, *args).Run(); });
}

void AddSplitAndJoin(CLI::App& cab, Context& context) {
    auto args = std::make_shared<std::pair<std::string, std::int32_t>>();
    CLI::App* split = cab.add_subcommand("split", "Cut a file into N pieces named FILE1 to FILEN beside it");
    split->add_option("FILE", args->first, "File to split")->required();
    split->add_option("N", args->second, "Number of pieces")->required();
    split->callback([&context, args] { Split(context, args->first, args->second); });

    CLI::App* join = cab.add_subcommand("join", "Join the pieces FILE1 to FILEN into FILE");
    join->add_option("FILE", args->first, "File to make")->required();
    join->add_option("N", args->second, "Number of pieces")->required()->check(CLI::PositiveNumber);
    join->callback([&context, args] { Join(context, args->first, args->second); });
}

}  // namespace

void AddCabCommands(CLI::App& cab, Context& context) {
    AddMake(cab, context);
    AddList(cab, context);
    AddExpand(cab, context);
    AddSplitAndJoin(cab, context);
}

}  // namespace vexa::cli
