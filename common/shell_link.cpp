#include "common/shell_link.hpp"

#include <cstdint>
#include <string_view>

namespace vexa {
namespace {

// Header flags: which parts follow the header.
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kIsUnicode = 0x80;

constexpr std::uint32_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046, as it is stored.
constexpr unsigned char kLinkClassId[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kShowNormal = 1;

// The location block's header with the offsets of the UTF-16 path, and the volume record.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint32_t kVolumeIdSize = 0x11;  // its 16 bytes and an empty label
constexpr std::uint32_t kDriveFixed = 3;

void PutU16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

std::uint32_t Size(const std::string& bytes) { return static_cast<std::uint32_t>(bytes.size()); }

// Length of the well-formed UTF-8 sequence at `text`'s start and its code point; 0 if none.
std::size_t DecodeUtf8(std::string_view text, std::uint32_t& codePoint) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                         : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 0 || length > text.size()) return 0;
    codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (byte(i) & 0x3Fu);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    bool valid = codePoint >= kLeast[length] && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
    return valid ? length : 0;
}

// UTF-16 code units, little-endian, without a terminator.
std::string Utf16(std::string_view text, std::uint32_t& units) {
    std::string out;
    units = 0;
    while (!text.empty()) {
        std::uint32_t codePoint = 0;
        std::size_t length = DecodeUtf8(text, codePoint);
        if (length == 0) {
            codePoint = static_cast<unsigned char>(text[0]);
            length = 1;
        }
        if (codePoint >= 0x10000) {
            PutU16(out, 0xD800 + ((codePoint - 0x10000) >> 10));
            codePoint = 0xDC00 + (codePoint & 0x3FF);
            ++units;
        }
        PutU16(out, codePoint);
        ++units;
        text.remove_prefix(length);
    }
    return out;
}

// A counted string of the string-data section; false if it is too long to count.
bool PutCountedText(std::string& out, const std::string& text) {
    std::uint32_t units = 0;
    std::string utf16 = Utf16(text, units);
    if (units > 0xFFFF) return false;
    PutU16(out, units);
    out += utf16;
    return true;
}

// Where the target lies: a local path on a fixed drive, in both the 8-bit and UTF-16 forms
// (the common path suffix that follows each is empty).
std::string LinkInfo(const std::string& target) {
    std::string volume;
    PutU32(volume, kVolumeIdSize);
    PutU32(volume, kDriveFixed);
    PutU32(volume, 0);   // serial number unknown
    PutU32(volume, 16);  // the label follows the record
    volume += '\0';
    std::string basePath = target + '\0';
    std::string suffix(1, '\0');
    std::uint32_t units = 0;
    std::string basePathUtf16 = Utf16(target, units) + std::string(2, '\0');
    std::string suffixUtf16(2, '\0');

    std::uint32_t volumeAt = kLinkInfoHeaderSize;
    std::uint32_t basePathAt = volumeAt + Size(volume);
    std::uint32_t suffixAt = basePathAt + Size(basePath);
    std::uint32_t basePathUtf16At = suffixAt + Size(suffix);
    std::uint32_t suffixUtf16At = basePathUtf16At + Size(basePathUtf16);
    std::uint32_t total = suffixUtf16At + Size(suffixUtf16);

    std::string out;
    for (std::uint32_t field : {total, kLinkInfoHeaderSize, kVolumeIdAndLocalBasePath, volumeAt, basePathAt,
                                std::uint32_t{0}, suffixAt, basePathUtf16At, suffixUtf16At})
        PutU32(out, field);
    return out + volume + basePath + suffix + basePathUtf16 + suffixUtf16;
}

// Times, size, icon and hot key stay zero: the shell fills them in when it resolves the link.
std::string Header(std::uint32_t flags) {
    std::string out;
    PutU32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClassId), sizeof kLinkClassId);
    PutU32(out, flags);
    out.append(4 + 3 * 8 + 4 + 4, '\0');  // attributes, three times, file size, icon index
    PutU32(out, kShowNormal);
    out.append(2 + 2 + 4 + 4, '\0');  // hot key and reserved fields
    return out;
}

}  // namespace

std::string ShellLinkBytes(const ShellLink& link) {
    std::uint32_t flags = kIsUnicode;
    if (!link.target.empty()) flags |= kHasLinkInfo;
    if (!link.description.empty()) flags |= kHasName;
    if (!link.workingDirectory.empty()) flags |= kHasWorkingDir;
    if (!link.arguments.empty()) flags |= kHasArguments;

    std::string out = Header(flags);
    if (flags & kHasLinkInfo) out += LinkInfo(link.target);
    bool counted = (!(flags & kHasName) || PutCountedText(out, link.description)) &&
                   (!(flags & kHasWorkingDir) || PutCountedText(out, link.workingDirectory)) &&
                   (!(flags & kHasArguments) || PutCountedText(out, link.arguments));
    return counted ? out : std::string();
}

}  // namespace vexa
