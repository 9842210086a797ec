// vexa: the console toolbox over the portable core.

#include <filesystem>
#include <iostream>

#include "apps/vexa/commands.hpp"
#include "platform/native.hpp"

namespace vexa::cli {

std::string WhyUnreadable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (error) return error.message();
    if (fs::is_directory(status)) return "is a directory";
    if (!fs::is_regular_file(status)) return "not a regular file";
    return "cannot be opened for reading";
}

CLI::App& AddCabCommand(CLI::App& app) {
    CLI::App* cab = app.add_subcommand("cab", "Make, list, expand and convert cabinets");
    cab->require_subcommand(1);
    return *cab;
}

void Fail(Context& context, int code, const std::string& message) {
    std::cerr << "vexa: " << message << '\n';
    context.exitCode = std::max(context.exitCode, code);
}

}  // namespace vexa::cli

int main(int argc, char** argv) {
    vexa::NativePlatform platform;
    vexa::cli::Context context{platform.Get()};

    CLI::App app{"vexa: tools of the VexaWeb system: file signatures, scripts, cabinets, downloads and the cache"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "vexa 0.1.0");
    vexa::cli::AddSigCommands(app, context);
    vexa::cli::AddScriptCommands(app, context);
    CLI::App& cab = vexa::cli::AddCabCommand(app);
    vexa::cli::AddCabCommands(cab, context);
    vexa::cli::AddCabSfxCommand(cab, context);
    vexa::cli::AddCallCommand(app, context);
    vexa::cli::AddFetchCommand(app, context);
    vexa::cli::AddLoadCommand(app, context);
    vexa::cli::AddCacheCommands(app, context);
    vexa::cli::AddEventCommands(app, context);
    vexa::cli::AddRestartCommand(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : vexa::cli::kBadInput;
    }
    return context.exitCode;
}
