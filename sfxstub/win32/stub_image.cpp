// The stub comes from the resource "EXEFILE" 203 of the module that holds this code, which
// may be a program or a library loaded into someone else's program.

#include <windows.h>

#include "sfxstub/stub_image.hpp"

namespace vexa::sfx {
namespace {

HMODULE ThisModule() {
    static const char anchor = 0;
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         &anchor, &module);
    return module;
}

}  // namespace

std::span<const unsigned char> SelfExtractStub() {
    HMODULE module = ThisModule();
    HRSRC found = module ? ::FindResourceA(module, MAKEINTRESOURCEA(203), "EXEFILE") : nullptr;
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const unsigned char*>(bytes), ::SizeofResource(module, found)};
}

}  // namespace vexa::sfx
