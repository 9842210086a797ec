#pragma once
// Room for a code-signing certificate, laid out as a signed cabinet lays out its signature,
// so that signing tools take the cabinet as it is. Their own rules leave no other way: a
// header reserve of any size but 20 bytes is refused. The header's reserve is therefore the
// 20-byte signature header (a mark, where the signature starts and its length), and the
// room itself is a zeroed slot after the cabinet, where that header points. The cabinet's
// declared length ends before the slot, as it ends before a signature, so readers never
// see it; a tool that signs the cabinet writes its signature in the slot's place.

#include <array>
#include <cstdint>

#include "cabcodec/maker.hpp"

namespace vexa::cab {

inline constexpr std::uint16_t kSignatureHeaderSize = 20;
// Where a header's reserve starts in a cabinet that names no other cabinets.
inline constexpr std::uint32_t kSignatureHeaderOffset = 40;

// The header reserve of a cabinet made with room for `certificateReserve` bytes: none, or
// the signature header.
constexpr std::uint16_t HeaderReserveFor(std::uint16_t certificateReserve) {
    return certificateReserve != 0 ? kSignatureHeaderSize : 0;
}

// The signature header of a cabinet of `cabinetSize` bytes followed by a slot of `slotSize`.
std::array<unsigned char, kSignatureHeaderSize> SignatureHeader(std::uint32_t cabinetSize, std::uint32_t slotSize);

// Writes the slot's zeros after the cabinet.
bool WriteSignatureSlot(OutputFile& out, std::uint16_t slotSize);

}  // namespace vexa::cab
