#pragma once
// Cabinets of several shapes, for round trips through our reader and through peer tools.

#include <random>
#include <string>
#include <vector>

#include "tests/support/memory_cabinet.hpp"

namespace vexa::test {

// Bytes that deflate cannot shrink.
inline std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 generator(seed);
    std::string out(n, '\0');
    for (auto& c : out) c = static_cast<char>(generator());
    return out;
}

// Text that compresses well but is not trivially repetitive.
inline std::string TextBytes(std::size_t n, unsigned seed) {
    static const char* const kWords[] = {"cabinet ", "folder ", "block ", "deflate ", "member ", "reserve ",
                                         "header ", "stream ", "window ", "quantum\r\n"};
    std::mt19937 generator(seed);
    std::string out;
    while (out.size() < n) out += kWords[generator() % 10];
    out.resize(n);
    return out;
}

struct CabinetShape {
    std::string label;
    std::vector<FileSpec> files;
    std::uint16_t headerReserve = 0;
};

inline std::vector<CabinetShape> CabinetShapes() {
    std::vector<FileSpec> many;
    for (unsigned i = 0; i < 300; ++i) many.push_back({"small" + std::to_string(i) + ".txt", TextBytes(i * 7 % 251, i)});
    return {
        {"EmptyFile", {{"empty.txt", ""}}},
        {"ManySmallFiles", many},
        // Beyond the folder threshold, so the cabinet holds several folders.
        {"FoldersSplit", {{"big1.txt", TextBytes(700'000, 1)}, {"big2.bin", RandomBytes(400'000, 2)},
                          {"after.txt", TextBytes(5'000, 3)}}},
        {"Incompressible", {{"random.bin", RandomBytes(300'000, 4)}}},
        // Files that end just before, at and after a block boundary, so blocks span files.
        {"BlockBoundaries", {{"a.bin", TextBytes(32'767, 5)}, {"b.bin", TextBytes(32'768, 6)},
                             {"c.bin", RandomBytes(32'769, 7)}, {"d.txt", ""}, {"e.bin", TextBytes(65'536, 8)}}},
        {"HeaderReserve", {{"signed.txt", TextBytes(10'000, 9)}}, 6144},
        {"Subfolders", {{"top.txt", TextBytes(100, 10)}, {"dir\\sub\\deep.txt", TextBytes(2'000, 11)},
                        {"dir\\other.bin", RandomBytes(3'000, 12)}}},
    };
}

}  // namespace vexa::test
