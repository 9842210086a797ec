// Uninstall.EXE on a console: removes the installation whose record is appended to it.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "installer/installer_texts.hpp"
#include "installer/uninstall/uninstall.hpp"
#include "platform/native.hpp"

namespace {

constexpr const char* kUsage = R"(Usage: Uninstall.EXE [--yes] [--help]

Removes the program that was installed with this uninstall program: the files the
installation placed, the folders they leave empty, the program group's shortcuts and the
program's registry entries. It names the program and its folder and asks first (y for
Yes; anything else, or the end of the input, is No); --yes removes without asking.
What cannot be removed now is listed; inside the installation it is removed at the next
restart (vexa restart --apply).

Exit status: 0 removed, 1 something left, refused or no installation record (the message
says which), 2 bad options.
)";

// The file this process runs from, where the record is.
std::string OwnPath(const char* argv0) {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    return std::filesystem::absolute(argv0, error).string();
}

}  // namespace

int main(int argc, char** argv) {
    bool yes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (option != "--yes") {
            std::cerr << "Uninstall: unknown option " << option << "\n\n" << kUsage;
            return 2;
        }
        yes = true;
    }

    std::optional<vexa::NativePlatform> native;
    try {
        native.emplace();
    } catch (const vexa::MachineUnavailable& error) {
        std::cerr << vexa::installer::kUninstallCaption << ": " << error.what() << '\n';
        return 1;
    }
    const auto result = vexa::installer::Uninstall(native->Get(), OwnPath(argv[0]), !yes);
    return result.removed && result.atRestart.empty() && result.inPlace.empty() ? 0 : 1;
}
