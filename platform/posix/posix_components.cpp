#include "platform/posix/posix_components.hpp"

#include <dlfcn.h>

#include <cstdint>

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

}  // namespace

bool PosixComponents::RegisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllRegisterServer");
}

bool PosixComponents::UnregisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllUnregisterServer");
}

// STUB: replaced by the components work.
std::string PosixComponents::FileVersion(const std::string&) { return {}; }
SharedFileLocation PosixComponents::FindSharedFile(const std::string&, const std::string&, const std::string&) { return {}; }
bool PosixComponents::ReplaceAtRestart(const std::string&, const std::string&) { return false; }
bool PosixComponents::Restart() { return false; }

}  // namespace vexa
