#pragma once
// The self-extract stub program, byte for byte as built and padded: the front of every
// self-extracting cabinet.

#include <span>

namespace vexa::sfx {

std::span<const unsigned char> SelfExtractStub();

}  // namespace vexa::sfx
