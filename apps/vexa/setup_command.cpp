// vexa setup make, password and list: setup programs, the installer image with a cabinet
// attached that holds the script, the uninstall program and what the script installs.

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#include "apps/vexa/cabinet_host.hpp"
#include "apps/vexa/commands.hpp"
#include "apps/vexa/wizard_console.hpp"
#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "cabinet/self_extracting.hpp"
#include "common/file_beside.hpp"
#include "common/text.hpp"
#include "installer/attachment.hpp"
#include "installer/folders.hpp"
#include "installer/install_script.hpp"
#include "installer/installer_texts.hpp"
#include "installer/password.hpp"
#include "installer/vexa_install.hpp"
#include "loader/install_line.hpp"

namespace vexa::cli {
namespace {

namespace fs = std::filesystem;
using installer::InstallerSettings;

// The programs a setup program is made of, as the share directory holds them: the Windows
// build's beside the wizard, the build machine's own in "native".
struct Images {
    std::string installer;
    std::string uninstaller;
};

Images ShippedImages(const std::string& system) {
    const fs::path share = WizardDirectory("");
    if (system == "native") return {(share / "native" / "VexaInstall").string(), (share / "native" / "Uninstall.EXE").string()};
    return {(share / "VexaInstall.exe").string(), (share / "Uninstall.EXE").string()};
}

struct MakeArguments {
    std::string output;
    std::string script;
    std::vector<std::string> files;
    std::string system = "windows";
    std::string installer;
    std::string uninstaller;
    bool noUninstall = false;
};

struct Member {
    std::string path;
    std::string name;
};

std::optional<std::vector<unsigned char>> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// The installer's own start-up checks of its settings, so that a setup program that would
// only show its user a script error is never made; then every member the script installs
// must be in the attachment.
std::string WhyScriptRefused(const ScriptLines& lines, const std::vector<Member>& members) {
    const InstallerSettings settings = installer::ReadSettings(lines);
    if (settings.productName.empty()) return std::string(installer::kNoProductName);
    if (Trim(settings.productDirectory).empty()) return std::string(installer::kNoProductDirectory);
    if (installer::VexaInstall::ProductFolderName(settings.productDirectory).empty())
        return std::string(installer::kNoSubDirectory);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto line = loader::ReadInstallLine(lines, i);
        if (!line) continue;
        const std::string wanted = installer::MemberNameOf(line->cabinet);
        bool carried = false;
        for (const Member& member : members) carried = carried || EqualsIgnoreCase(member.name, wanted);
        if (!carried)
            return "line " + std::to_string(i + 1) + " installs " + Quoted(wanted) +
                   ", which is not among the files given";
    }
    return {};
}

// Script, uninstall program and files under their names, each name once (letter case
// aside, as the installer looks them up); nullopt after a failure.
std::optional<std::vector<Member>> Members(Context& context, const MakeArguments& args, const Images& images) {
    std::vector<Member> members{{args.script, std::string(installer::kScriptName)}};
    if (!args.noUninstall) members.push_back({images.uninstaller, std::string(installer::kUninstallName)});
    for (const std::string& file : args.files) members.push_back({file, fs::path(file).filename().string()});
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::error_code error;
        if (!fs::is_regular_file(members[i].path, error))
            Fail(context, kBadInput, members[i].path + ": " + WhyUnreadable(members[i].path));
        for (std::size_t k = 0; k < i; ++k) {
            if (EqualsIgnoreCase(members[k].name, members[i].name))
                Fail(context, kBadInput, members[i].path + ": a second member named " + Quoted(members[i].name) +
                                             " (after " + members[k].path + ")");
        }
        if (IsSameFile(members[i].path, args.output))
            Fail(context, kBadInput, args.output + ": is " + members[i].path + ", which goes into the setup program");
    }
    if (context.exitCode != kSuccess) return std::nullopt;
    return members;
}

// A temporary file beside the setup program, removed when done, that the cabinet is made in.
class CabinetBeside {
public:
    CabinetBeside(Files& files, const std::string& output)
        : path_(files.CreateTempFileIn(FileBeside::FolderOf(output), FileBeside::kPrefix).value_or("")) {}
    ~CabinetBeside() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove(path_, ignored);
    }
    CabinetBeside(const CabinetBeside&) = delete;
    CabinetBeside& operator=(const CabinetBeside&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The attachment, made as vexa cab make makes a cabinet but with a folder per member: the
// installer takes its members out one at a time, each in a pass of its own, and a member
// in a folder of its own is decoded alone. Empty when made, else why not.
std::string MakeAttachment(Context& context, const std::vector<Member>& members, const std::string& cabinet) {
    bool done = false;
    EventFunction events([&](const EventEntry& event, const std::vector<Value>&) { done = event.name == "MakeCabDone"; });
    CabinetHost host(context.platform(), events);
    for (const Member& member : members) host.Control().AddFileToCabImage(member.path, member.name);
    host.Control().MakeCabFile(cabinet, 0);
    host.RunUntilJobEnds();
    if (done) return {};
    std::string cause = host.FailureCause();
    return cause.empty() ? "the attachment could not be made" : cause;
}

void Make(Context& context, const MakeArguments& args) {
    Images images = ShippedImages(args.system);
    if (!args.installer.empty()) images.installer = args.installer;
    if (!args.uninstaller.empty()) images.uninstaller = args.uninstaller;
    std::error_code unknown;  // an output that cannot be looked at fails at its writing
    if (fs::is_directory(args.output, unknown)) return Fail(context, kBadInput, args.output + ": is a directory");
    if (IsSameFile(images.installer, args.output))
        return Fail(context, kBadInput, args.output + ": is the installer image; the setup program needs a name of its own");
    auto members = Members(context, args, images);
    if (!members) return;
    auto image = ReadWhole(images.installer);
    if (!image || image->empty())
        return Fail(context, kBadInput, images.installer + ": " + (image ? "empty" : WhyUnreadable(images.installer)),
                    "the installer image; --installer names another");
    ScriptLines lines;
    if (!LoadScriptLines(context.files(), args.script, lines))
        return Fail(context, kBadInput, args.script + ": " + WhyUnreadable(args.script));
    if (std::string why = WhyScriptRefused(lines, *members); !why.empty())
        return Fail(context, kBadInput, args.script + ": the installer would stop: " + why);

    Files& files = context.platform().files;
    CabinetBeside cabinet(files, args.output);
    if (cabinet.Path().empty()) return Fail(context, kNegative, args.output + ": no temporary file can be made beside it");
    if (std::string why = MakeAttachment(context, *members, cabinet.Path()); !why.empty())
        return Fail(context, kNegative, args.output + ": the setup program could not be made", why);
    if (!Cab2Exe(files, *image, cabinet.Path(), args.output))
        return Fail(context, kNegative, args.output + ": cannot be written");
    std::cout << args.output << ": " << members->size() << " members after " << image->size()
              << " bytes of installer\n";
}

struct ListArguments {
    std::string setup;
    std::string installer;
};

// Where the attachment begins: at the size of the installer the setup program was made
// from, a Windows one for a Windows program ("MZ"), else the native one.
std::optional<std::uint64_t> AttachmentOffset(Context& context, const ListArguments& args, ReadableFile& setup) {
    unsigned char start[2] = {};
    const bool windows = setup.ReadAt(0, start, 2) == 2 && start[0] == 'M' && start[1] == 'Z';
    const std::string image = !args.installer.empty() ? args.installer
                                                      : ShippedImages(windows ? "windows" : "native").installer;
    std::error_code error;
    const std::uint64_t size = fs::file_size(image, error);
    if (error) {
        Fail(context, kBadInput, image + ": " + WhyUnreadable(image),
             "its size is where the attachment begins; --installer names another image");
        return std::nullopt;
    }
    return size;
}

// As the script writes it: a value cannot hold a double quote, so none needs escaping.
void PrintSetting(const std::string& name, const std::string& value) {
    std::cout << "  " << std::left << std::setw(20) << name << '"' << value << "\"\n";
}

// The script as the installer reads it at start-up.
std::optional<InstallerSettings> SettingsOf(Context& context, const std::string& setup, std::uint64_t offset) {
    Platform& platform = context.platform();
    installer::AttachmentPlace place = installer::ExtractAttachment(platform.files, setup, offset);
    if (place.directory.empty()) {
        Fail(context, kBadInput, setup + ": " + place.failure);
        return std::nullopt;
    }
    std::vector<std::string> extracted;
    ScriptLines lines;
    const bool read = installer::ExtractFromCabinet(platform.files, {setup, offset}, place.directory,
                                                    std::string(installer::kScriptName), extracted) &&
                      LoadScriptLines(platform.files, extracted.front(), lines);
    installer::RemoveTempDirectory(platform.shell, place.directory);
    if (!read) {
        Fail(context, kBadInput, setup + ": " + std::string(installer::kNoScriptInAttachment));
        return std::nullopt;
    }
    return installer::ReadSettings(lines);
}

void List(Context& context, const ListArguments& args) {
    auto file = context.files().OpenShared(args.setup);
    if (!file) return Fail(context, kBadInput, args.setup + ": " + WhyUnreadable(args.setup));
    auto offset = AttachmentOffset(context, args, *file);
    if (!offset) return;
    cab::FileCabinetSource source(std::move(file));
    std::vector<cab::MemberInfo> members;
    std::string failedAt;
    if (cab::ExpandStatus status = cab::ListMembers(source, *offset, members, &failedAt); status != cab::ExpandStatus::Done)
        return Fail(context, kBadInput, args.setup + ": no attachment can be read at byte " + std::to_string(*offset),
                    cab::FailureCause(status, failedAt));
    auto settings = SettingsOf(context, args.setup, *offset);
    if (!settings) return;
    std::cout << "attachment at byte " << *offset << ":\n";
    for (const cab::MemberInfo& member : members) std::cout << std::setw(12) << member.size << "  " << member.name << '\n';
    std::cout << "settings:\n";
    PrintSetting("ProductName", settings->productName);
    PrintSetting("ProductDirectory", settings->productDirectory);
    PrintSetting("ProductProgramGroup", settings->productProgramGroup);
    PrintSetting("DoneMessage", settings->doneMessage);
    PrintSetting("Password", settings->password);
    PrintSetting("CheckTrust", settings->checkTrust);
}

void AddMake(CLI::App& setup, Context& context) {
    auto args = std::make_shared<MakeArguments>();
    CLI::App* make = setup.add_subcommand(
        "make",
        "Make a setup program: the installer followed by a cabinet that holds the script as \"Script.TXT\", the "
        "uninstall program as \"Uninstall.EXE\" and each FILE under its own name. A script that would stop the "
        "installer at its start (no product name, no product directory or one without a sub-directory) or that "
        "installs a member not among the files is refused. The installer and the uninstall program come from the "
        "share directory: the Windows programs, or with --for native those of this system");
    make->add_option("OUT", args->output, "Setup program to write (replaced once it is whole, if it exists)")->required();
    make->add_option("SCRIPT", args->script, "The installation script")->required();
    make->add_option("FILE", args->files, "Cabinets and files the script installs");
    make->add_option("--for", args->system, "Which installer: windows (VexaInstall.exe, the default) or native")
        ->check(CLI::IsMember({"windows", "native"}));
    make->add_option("--installer", args->installer, "The installer image to use instead of the shipped one");
    make->add_option("--uninstaller", args->uninstaller, "The uninstall program to use instead of the shipped one");
    make->add_flag("--no-uninstall", args->noUninstall,
                   "Carry no uninstall program: the product is then installed without one and not registered for removal");
    make->callback([&context, args] { Make(context, *args); });
}

void AddPassword(CLI::App& setup) {
    auto text = std::make_shared<std::string>();
    CLI::App* password = setup.add_subcommand(
        "password",
        "Print the value for a script's SetPassword line: a fresh random salt, \"$\", and the SHA-256 of salt and "
        "password, which is all the setup program holds of it");
    password->add_option("TEXT", *text, "The password the installer is to ask for")->required();
    password->callback([text] { std::cout << installer::MakePasswordSetting(*text) << '\n'; });
}

void AddList(CLI::App& setup, Context& context) {
    auto args = std::make_shared<ListArguments>();
    CLI::App* list = setup.add_subcommand(
        "list",
        "List a setup program's attachment (size and name of each member) and the six settings of its script. The "
        "attachment begins at the size of the installer it was made from: the shipped Windows installer's for a "
        "Windows program, the native one's otherwise");
    list->add_option("SETUP", args->setup, "Setup program")->required();
    list->add_option("--installer", args->installer, "The installer image the program was made from, for its size");
    list->callback([&context, args] { List(context, *args); });
}

}  // namespace

void AddSetupCommands(CLI::App& app, Context& context) {
    CLI::App* setup = app.add_subcommand("setup", "Setup programs: make one, its password, list one");
    setup->require_subcommand(1);
    AddMake(*setup, context);
    AddPassword(*setup);
    AddList(*setup, context);
}

}  // namespace vexa::cli
