#include <windows.h>

#include "platform/win32/win32_components.hpp"

namespace vexa {
namespace {

bool CallEntryPoint(const std::string& library, const char* name) {
    HMODULE module = ::LoadLibraryA(library.c_str());
    if (!module) return false;
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    if (entry) entry();
    ::FreeLibrary(module);
    return entry != nullptr;
}

}  // namespace

bool Win32Components::RegisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllRegisterServer");
}

bool Win32Components::UnregisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllUnregisterServer");
}

// STUB: replaced by the components work.
std::string Win32Components::FileVersion(const std::string&) { return {}; }
SharedFileLocation Win32Components::FindSharedFile(const std::string&, const std::string&, const std::string&) { return {}; }
bool Win32Components::ReplaceAtRestart(const std::string&, const std::string&) { return false; }
bool Win32Components::Restart() { return false; }

}  // namespace vexa
