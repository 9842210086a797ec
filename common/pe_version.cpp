#include "common/pe_version.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <vector>

#include "common/text.hpp"

namespace vexa {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::size_t kResourceDirectoryIndex = 2;
constexpr std::size_t kMaxSections = 96;          // the format's own limit
constexpr std::size_t kMaxVersionBlock = 0xFFFF;  // its length is a 16-bit count
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;

std::uint16_t Le16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Le16(bytes, at)) | static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16;
}

std::optional<Bytes> ReadExactly(const ReadBytesAt& read, std::uint64_t offset, std::size_t n) {
    Bytes bytes(n);
    if (n != 0 && read(offset, bytes.data(), n) != n) return std::nullopt;
    return bytes;
}

// Bytes at a relative virtual address: where they lie in the file and how many of their
// section's follow.
struct FileRange {
    std::uint64_t offset;
    std::uint32_t size;
};

struct Section {
    std::uint32_t address;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct Layout {
    std::vector<Section> sections;
    std::uint32_t resourceAddress = 0;

    std::optional<FileRange> Locate(std::uint32_t address) const {
        for (const Section& section : sections) {
            if (address >= section.address && address - section.address < section.rawSize) {
                std::uint32_t into = address - section.address;
                return FileRange{std::uint64_t{section.rawOffset} + into, section.rawSize - into};
            }
        }
        return std::nullopt;
    }
};

// The DOS header points to the PE headers; the optional header holds the resource
// directory's address, and the section table maps addresses to file offsets.
std::optional<Layout> ReadLayout(const ReadBytesAt& read) {
    auto dos = ReadExactly(read, 0, 64);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') return std::nullopt;
    std::uint64_t headers = Le32(*dos, 0x3C);
    auto file = ReadExactly(read, headers, 24);
    if (!file || std::memcmp(file->data(), "PE\0\0", 4) != 0) return std::nullopt;
    std::size_t sectionCount = Le16(*file, 6);
    std::size_t optionalSize = Le16(*file, 20);
    auto optional = ReadExactly(read, headers + 24, optionalSize);
    if (!optional || optionalSize < 2 || sectionCount > kMaxSections) return std::nullopt;
    // The data directories follow the fields whose widths differ in 32- and 64-bit images.
    std::uint16_t magic = Le16(*optional, 0);
    std::size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    if (directories == 0 || optionalSize < directories + (kResourceDirectoryIndex + 1) * 8 ||
        Le32(*optional, directories - 4) <= kResourceDirectoryIndex)
        return std::nullopt;

    auto table = ReadExactly(read, headers + 24 + optionalSize, sectionCount * 40);
    if (!table) return std::nullopt;
    Layout layout;
    layout.resourceAddress = Le32(*optional, directories + kResourceDirectoryIndex * 8);
    for (std::size_t at = 0; at < table->size(); at += 40)
        layout.sections.push_back({Le32(*table, at + 12), Le32(*table, at + 16), Le32(*table, at + 20)});
    return layout;
}

// The resource tree (type, name, language); its offsets count from its start and never
// leave its section.
class ResourceTree {
public:
    ResourceTree(const ReadBytesAt& read, FileRange range) : read_(read), range_(range) {}

    std::optional<Bytes> At(std::uint64_t offset, std::uint64_t n) const {
        if (offset > range_.size || range_.size - offset < n) return std::nullopt;
        return ReadExactly(read_, range_.offset + offset, static_cast<std::size_t>(n));
    }

    // The offset field of the entry with the numeric `id`, or of the first entry when no
    // id is asked for; named entries come first in a directory.
    std::optional<std::uint32_t> Entry(std::uint32_t directory, std::optional<std::uint32_t> id) const {
        auto header = At(directory, 16);
        if (!header) return std::nullopt;
        std::size_t named = Le16(*header, 12);
        std::size_t count = named + Le16(*header, 14);
        auto entries = At(std::uint64_t{directory} + 16, count * 8);
        if (!entries) return std::nullopt;
        for (std::size_t i = id ? named : 0; i < count; ++i) {
            if (!id || Le32(*entries, i * 8) == *id) return Le32(*entries, i * 8 + 4);
        }
        return std::nullopt;
    }

    std::optional<std::uint32_t> Subdirectory(std::uint32_t directory, std::optional<std::uint32_t> id) const {
        auto entry = Entry(directory, id);
        if (!entry || (*entry & kSubdirectoryBit) == 0) return std::nullopt;
        return *entry & ~kSubdirectoryBit;
    }

private:
    const ReadBytesAt& read_;
    FileRange range_;
};

std::optional<Bytes> ReadVersionBlock(const ReadBytesAt& read, const Layout& layout) {
    auto range = layout.Locate(layout.resourceAddress);
    if (!range) return std::nullopt;
    ResourceTree tree(read, *range);
    auto type = tree.Subdirectory(0, kVersionResourceType);
    auto name = type ? tree.Subdirectory(*type, std::nullopt) : std::nullopt;
    auto language = name ? tree.Entry(*name, std::nullopt) : std::nullopt;
    if (!language || (*language & kSubdirectoryBit) != 0) return std::nullopt;
    auto entry = tree.At(*language, 16);
    auto data = entry ? layout.Locate(Le32(*entry, 0)) : std::nullopt;
    if (!data) return std::nullopt;
    std::size_t size = std::min<std::size_t>({Le32(*entry, 4), data->size, kMaxVersionBlock});
    return ReadExactly(read, data->offset, size);
}

constexpr std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

// A node of the version information: its length, its value's length and type, its key,
// then its value and its children, each starting on a 4-byte boundary of the block.
struct Node {
    std::u16string key;
    std::size_t valueBegin;
    std::uint16_t valueLength;
    std::size_t childrenBegin;
    std::size_t end;
};

std::optional<Node> ReadNode(const Bytes& block, std::size_t at, std::size_t limit) {
    if (limit - at < 6) return std::nullopt;
    std::size_t length = Le16(block, at);
    if (length < 6 || length > limit - at) return std::nullopt;
    Node node{{}, 0, Le16(block, at + 2), 0, at + length};
    std::size_t cursor = at + 6;
    for (; node.end - cursor >= 2 && Le16(block, cursor) != 0; cursor += 2)
        node.key += static_cast<char16_t>(Le16(block, cursor));
    if (node.end - cursor < 2) return std::nullopt;
    // Text values count UTF-16 units, binary ones bytes.
    bool text = Le16(block, at + 4) == 1;
    node.valueBegin = std::min(Align4(cursor + 2), node.end);
    node.childrenBegin = std::min(Align4(node.valueBegin + node.valueLength * (text ? 2u : 1u)), node.end);
    return node;
}

bool KeyIs(const std::u16string& key, std::string_view name) {
    return std::equal(key.begin(), key.end(), name.begin(), name.end(), [](char16_t unit, char letter) {
        return unit < 0x80 && ToUpperAnsi(static_cast<char>(unit)) == ToUpperAnsi(letter);
    });
}

std::optional<Node> Child(const Bytes& block, const Node& parent, std::string_view key) {
    for (std::size_t at = parent.childrenBegin; at < parent.end;) {
        auto child = ReadNode(block, at, parent.end);
        if (!child) return std::nullopt;
        if (KeyIs(child->key, key)) return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

std::optional<Node> Find(const Bytes& block, const Node& root, std::initializer_list<std::string_view> path) {
    std::optional<Node> node = root;
    for (std::string_view key : path) {
        node = Child(block, *node, key);
        if (!node) break;
    }
    return node;
}

std::string Text(const Bytes& block, const Node& node) {
    std::string text;
    if (node.valueLength == 0) return text;
    for (std::size_t at = node.valueBegin; node.end - at >= 2 && Le16(block, at) != 0; at += 2) {
        std::uint16_t unit = Le16(block, at);
        text += unit <= 0xFF ? static_cast<char>(unit) : '?';
    }
    return text;
}

// "llllcccc" of the first language and code page pair; empty without one.
std::string FirstTranslation(const Bytes& block, const Node& root) {
    auto translation = Find(block, root, {"VarFileInfo", "Translation"});
    if (!translation || translation->valueLength < 4 || translation->end - translation->valueBegin < 4) return {};
    char key[9];
    std::snprintf(key, sizeof key, "%04x%04x", Le16(block, translation->valueBegin),
                  Le16(block, translation->valueBegin + 2));
    return key;
}

}  // namespace

std::string PeFileVersion(const ReadBytesAt& read) {
    auto layout = ReadLayout(read);
    auto block = layout ? ReadVersionBlock(read, *layout) : std::nullopt;
    auto root = block ? ReadNode(*block, 0, block->size()) : std::nullopt;
    if (!root) return {};
    for (const std::string& table : {FirstTranslation(*block, *root), std::string("040904E4")}) {
        if (table.empty()) continue;
        if (auto value = Find(*block, *root, {"StringFileInfo", table, "FileVersion"})) return Text(*block, *value);
    }
    return {};
}

std::string PeFileVersion(std::string_view bytes) {
    return PeFileVersion([bytes](std::uint64_t offset, unsigned char* into, std::size_t n) -> std::size_t {
        if (offset >= bytes.size()) return 0;
        std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes.size() - offset));
        std::memcpy(into, bytes.data() + offset, count);
        return count;
    });
}

}  // namespace vexa
