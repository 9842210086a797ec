// vexa sig: file signatures.

#include <iostream>

#include "apps/vexa/commands.hpp"
#include "signature/signature.hpp"

namespace vexa::cli {
namespace {

void MakeSignatures(Context& context, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::string signature = GenerateFileSignature(context.files(), path);
        if (!signature.empty()) {
            std::cout << signature << "  " << path << '\n';
        } else if (auto file = context.files().OpenShared(path); file && file->Size() == 0) {
            Fail(context, kBadInput, path + ": an empty file has no signature");
        } else if (file) {
            Fail(context, kNegative, path + ": read error");
        } else {
            Fail(context, kBadInput, path + ": " + WhyUnreadable(path));
        }
    }
}

constexpr const char* kLongForm = "not a long signature (\"1-\" and 88 lowercase hexadecimal digits)";

// A file that does not match is the job's answer, no; a text that is no signature is bad input.
void VerifySignature(Context& context, const std::string& path, const std::string& signature) {
    if (!IsLongSignature(BareSignature(signature))) {
        Fail(context, kBadInput, "\"" + signature + "\": " + kLongForm);
    } else if (!context.files().OpenShared(path)) {
        Fail(context, kBadInput, path + ": " + WhyUnreadable(path));
    } else if (VerifyFile(context.files(), path, signature)) {
        std::cout << path << ": OK\n";
    } else {
        std::cout << path << ": signature does not match\n";
        context.exitCode = kNegative;
    }
}

void ShortenSignature(Context& context, const std::string& signature) {
    std::string_view bare = BareSignature(signature);
    if (!IsLongSignature(bare)) return Fail(context, kBadInput, "\"" + signature + "\": " + kLongForm);
    std::cout << LongSigToShortSig(bare) << '\n';
}

}  // namespace

void AddSigCommands(CLI::App& app, Context& context) {
    CLI::App* sig = app.add_subcommand("sig", "Make, verify and shorten file signatures");
    sig->require_subcommand(1);

    auto paths = std::make_shared<std::vector<std::string>>();
    CLI::App* make = sig->add_subcommand("make", "Print the long signature of each file");
    make->add_option("FILE", *paths, "Files to sign")->required();
    make->callback([&context, paths] { MakeSignatures(context, *paths); });

    auto verifyArgs = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* verify = sig->add_subcommand(
        "verify", "Check a file against a long signature; exit 0 when it matches, 1 when not, 2 for a malformed one");
    verify->add_option("FILE", verifyArgs->first, "File to check")->required();
    verify->add_option("SIG", verifyArgs->second,
                       "Long signature (\"1-\" and 88 hex digits; a remark after \"'\" is ignored)")
        ->required();
    verify->callback([&context, verifyArgs] { VerifySignature(context, verifyArgs->first, verifyArgs->second); });

    auto longSig = std::make_shared<std::string>();
    CLI::App* shortForm = sig->add_subcommand("short", "Print the short form of a long signature");
    shortForm->add_option("LONG", *longSig, "Long signature (a remark after \"'\" is ignored)")->required();
    shortForm->callback([&context, longSig] { ShortenSignature(context, *longSig); });
}

}  // namespace vexa::cli
