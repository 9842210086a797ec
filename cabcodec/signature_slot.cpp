#include "cabcodec/signature_slot.hpp"

#include <vector>

namespace vexa::cab {
namespace {

void PutU32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

// The mark is the signing tools' own: bytes 00 00 10 00, then the slot, then 8 zero bytes.
std::array<unsigned char, kSignatureHeaderSize> SignatureHeader(std::uint32_t cabinetSize, std::uint32_t slotSize) {
    std::array<unsigned char, kSignatureHeaderSize> header{};
    header[2] = 0x10;
    PutU32(&header[4], cabinetSize);
    PutU32(&header[8], slotSize);
    return header;
}

// A slot is at most kMaxHeaderReserve bytes, so it goes in one write.
bool WriteSignatureSlot(OutputFile& out, std::uint16_t slotSize) {
    const std::vector<unsigned char> zeros(slotSize);
    return slotSize == 0 || out.Write(zeros.data(), zeros.size());
}

}  // namespace vexa::cab
