#pragma once
// A picture of a window as the screen shows it, kept as a PNG file for a person to look
// at: the window's rectangle copied from the screen, written uncompressed (stored deflate
// blocks), which every viewer reads and needs no library here.

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace vexa::test {
namespace png {

inline std::uint32_t Crc(const std::string& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

inline void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

inline void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    PutBigEndian(out, Crc(typed));
}

// A zlib stream of stored blocks.
inline std::string Stored(const std::string& raw) {
    std::string out = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        out.push_back(at + n == raw.size() ? 1 : 0);  // the last block says so
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    PutBigEndian(out, b << 16 | a);
    return out;
}

// `rgb` holds `height` rows of `width` pixels, three bytes each.
inline std::string Encode(int width, int height, const std::string& rgb) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');  // no filter
        raw.append(rgb, static_cast<std::size_t>(y) * width * 3, static_cast<std::size_t>(width) * 3);
    }
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, no interlace
    std::string file = "\x89PNG\r\n\x1a\n";
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", Stored(raw));
    PutChunk(file, "IEND", "");
    return file;
}

}  // namespace png

// Saves what the screen shows of `window` to `path` (a .png); false if it cannot.
inline bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    std::string rgb;
    if (copied) {
        const auto* pixels = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < width * height; ++i) {
            rgb.push_back(static_cast<char>(pixels[4 * i + 2]));
            rgb.push_back(static_cast<char>(pixels[4 * i + 1]));
            rgb.push_back(static_cast<char>(pixels[4 * i]));
        }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!copied) return false;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << png::Encode(width, height, rgb);
    return true;
}

}  // namespace vexa::test
