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

}  // namespace vexa
