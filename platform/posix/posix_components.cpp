#include "platform/posix/posix_components.hpp"

#include <dlfcn.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "common/pe_version.hpp"

namespace vexa {
namespace {

using EntryPoint = std::int32_t (*)();

bool CallEntryPoint(const std::string& library, const char* name) {
    // A name without a slash would be searched for on the library path: keep it a file.
    std::string path = library.find('/') == std::string::npos ? "./" + library : library;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
    auto entry = reinterpret_cast<EntryPoint>(::dlsym(handle, name));
    if (entry) entry();
    ::dlclose(handle);
    return entry != nullptr;
}

bool HoldsFile(const std::string& directory, const std::string& fileName) {
    std::error_code ignored;
    return !directory.empty() && std::filesystem::is_regular_file(std::filesystem::path(directory) / fileName, ignored);
}

}  // namespace

bool PosixComponents::RegisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllRegisterServer");
}

bool PosixComponents::UnregisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllUnregisterServer");
}

std::string PosixComponents::FileVersion(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    return PeFileVersion([&file](std::uint64_t offset, unsigned char* into, std::size_t n) -> std::size_t {
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) return 0;
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(file.gcount());
    });
}

// As the version installer answers for a shared file: it belongs in the system directory,
// and the copy found there comes first, then one in the Windows or the application
// directory. Names are matched as the prefix's file system matches them.
SharedFileLocation PosixComponents::FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                                   const std::string& appDirectory) {
    SharedFileLocation location{{}, prefix_.SystemDirectory().string()};
    for (const std::string& directory : {location.destination, windowsDirectory, appDirectory}) {
        if (HoldsFile(directory, fileName)) {
            location.current = directory;
            break;
        }
    }
    return location;
}

bool PosixComponents::ReplaceAtRestart(const std::string& replacement, const std::string& target) {
    return pending_.Add({replacement, target});
}

bool PosixComponents::DeleteAtRestart(const std::string& target) { return pending_.Add({{}, target}); }

bool PosixComponents::Restart() { return pending_.RequestRestart(); }

}  // namespace vexa
