// The stub file is assembled into this object, so the library carries it without a file
// to find at run time. VEXA_SFX_STUB_IMAGE names the padded stub.

#include "sfxstub/stub_image.hpp"

asm(".section .rodata.vexa_sfx_stub, \"a\"\n"
    ".balign 16\n"
    ".globl vexa_sfx_stub_begin\n"
    ".hidden vexa_sfx_stub_begin\n"
    "vexa_sfx_stub_begin:\n"
    ".incbin \"" VEXA_SFX_STUB_IMAGE "\"\n"
    ".globl vexa_sfx_stub_end\n"
    ".hidden vexa_sfx_stub_end\n"
    "vexa_sfx_stub_end:\n"
    ".previous\n");

extern "C" const unsigned char vexa_sfx_stub_begin[];
extern "C" const unsigned char vexa_sfx_stub_end[];

namespace vexa::sfx {

std::span<const unsigned char> SelfExtractStub() { return {vexa_sfx_stub_begin, vexa_sfx_stub_end}; }

}  // namespace vexa::sfx
