// vexa cab sfx: a self-extracting cabinet from a cabinet file.

#include <filesystem>
#include <memory>

#include "apps/vexa/commands.hpp"
#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "cabinet/self_extracting.hpp"
#include "common/file_beside.hpp"
#include "sfxstub/stub_image.hpp"

namespace vexa::cli {
namespace {

struct SfxArguments {
    std::string cabinet;
    std::string output;
};

void MakeSelfExtracting(Context& context, const SfxArguments& args) {
    Files& files = context.platform().files;
    auto file = files.OpenShared(args.cabinet);
    if (!file) return Fail(context, kBadInput, args.cabinet + ": " + WhyUnreadable(args.cabinet));
    cab::FileCabinetSource source(std::move(file));
    // A stub with something else attached would only tell its user that it cannot expand it.
    if (!cab::IsCabinet(source)) return Fail(context, kBadInput, args.cabinet + ": not a cabinet");
    if (IsSameFile(args.cabinet, args.output))
        return Fail(context, kBadInput, args.output + ": is the cabinet itself; the program needs a name of its own");
    std::error_code unknown;  // an output that cannot be looked at fails at its writing
    if (std::filesystem::is_directory(args.output, unknown))
        return Fail(context, kBadInput, args.output + ": is a directory");
    if (!Cab2Exe(files, sfx::SelfExtractStub(), args.cabinet, args.output))
        Fail(context, kNegative, args.output + ": cannot be written");
}

}  // namespace

void AddCabSfxCommand(CLI::App& cab, Context& context) {
    auto args = std::make_shared<SfxArguments>();
    CLI::App* sfx = cab.add_subcommand(
        "sfx", "Make a self-extracting program: the self-extract stub followed by the cabinet");
    sfx->add_option("CAB", args->cabinet, "Cabinet file")->required();
    sfx->add_option("OUT", args->output, "Program to write (replaced once it is whole, if it exists)")->required();
    sfx->callback([&context, args] { MakeSelfExtracting(context, *args); });
}

}  // namespace vexa::cli
