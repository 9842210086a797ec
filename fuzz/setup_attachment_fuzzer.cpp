// Reads arbitrary bytes as a setup program whose attachment starts at byte 16, as the
// installer's start-up reads its own file: the attachment copied out, "Script.TXT" taken
// from it, the script and its settings read, and the expansion directory removed again.
// Whatever the bytes, nothing may be left in the temporary folder.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "installer/attachment.hpp"
#include "installer/folders.hpp"
#include "installer/install_script.hpp"
#include "installer/installer_texts.hpp"
#include "tests/installer/temp_folder_files.hpp"

namespace {

namespace fs = std::filesystem;
using namespace vexa;
using namespace vexa::installer;

constexpr std::uint64_t kOffset = 16;

// The fuzzer's own folder, gone when the run ends.
struct Root {
    const fs::path path = fs::temp_directory_path() / ("setup_attachment_fuzzer." + std::to_string(::getpid()));
    ~Root() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Root root;
    static test::TempFolderFiles files(root.path / "temp");
    const std::string setup = (root.path / "setup.exe").string();
    std::ofstream(setup, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    AttachmentPlace place = ExtractAttachment(files, setup, kOffset);
    if (place.directory.empty() != !place.failure.empty()) __builtin_trap();
    if (!place.directory.empty()) {
        std::vector<std::string> extracted;
        if (ExtractFromCabinet(files, {setup, kOffset}, place.directory, std::string(kScriptName), extracted)) {
            for (const std::string& path : extracted) {
                ScriptLines lines;
                if (!LoadScriptLines(files, path, lines)) __builtin_trap();
                ReadSettings(lines);
            }
        }
        RemoveTempDirectory(files.shell, place.directory);
    }
    if (!files.Left().empty()) __builtin_trap();
    return 0;
}
