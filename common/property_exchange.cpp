#include "common/property_exchange.hpp"

#include <charconv>

#include "common/text.hpp"

namespace vexa {
namespace {

// More properties than any control has cannot be a block we wrote.
constexpr std::uint32_t kMaxProperties = 1024;

void PutNumber(std::string& out, std::uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((number >> shift) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
    PutNumber(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

// Takes from the front of `bytes`; every read checks what is left first.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> Number() {
        if (bytes_.size() < 4) return std::nullopt;
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(bytes_[i]);
        bytes_.remove_prefix(4);
        return number;
    }

    std::optional<std::string> Text() {
        auto length = Number();
        if (!length || *length > bytes_.size()) return std::nullopt;
        std::string text(bytes_.substr(0, *length));
        bytes_.remove_prefix(*length);
        return text;
    }

    bool AtEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

}  // namespace

std::uint32_t PackedVersion(PropertyVersion version) {
    return (static_cast<std::uint32_t>(version.major) << 16) | version.minor;
}

const std::string* SavedProperties::Find(std::string_view name) const {
    for (const auto& [key, value] : values)
        if (EqualsIgnoreCase(key, name)) return &value;
    return nullptr;
}

bool LoadableVersion(std::optional<std::uint32_t> saved, PropertyVersion current) {
    return !saved || (*saved >> 16) <= current.major;
}

std::optional<std::uint32_t> VersionFromText(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    std::uint32_t number = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (error != std::errc() || end != text->data() + text->size() || text->empty()) return 0xFFFFFFFFu;
    return number;
}

std::string EncodeProperties(const SavedProperties& saved) {
    std::string body;
    PutNumber(body, saved.version.value_or(0));
    PutNumber(body, static_cast<std::uint32_t>(saved.values.size()));
    for (const auto& [name, value] : saved.values) {
        PutText(body, name);
        PutText(body, value);
    }
    std::string block;
    PutNumber(block, static_cast<std::uint32_t>(body.size()));
    return block + body;
}

std::optional<std::uint32_t> EncodedRestLength(std::string_view lengthBytes) {
    auto length = Reader(lengthBytes).Number();
    if (lengthBytes.size() != kEncodedLengthSize || !length || *length > kMaxEncodedLength) return std::nullopt;
    return length;
}

std::optional<SavedProperties> DecodeProperties(std::string_view bytes) {
    if (bytes.size() < kEncodedLengthSize) return std::nullopt;
    auto length = EncodedRestLength(bytes.substr(0, kEncodedLengthSize));
    if (!length || *length != bytes.size() - kEncodedLengthSize) return std::nullopt;
    Reader reader(bytes.substr(kEncodedLengthSize));
    SavedProperties saved;
    saved.version = reader.Number();
    auto count = reader.Number();
    if (!count || *count > kMaxProperties) return std::nullopt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto name = reader.Text();
        if (!name) return std::nullopt;
        auto value = reader.Text();
        if (!value) return std::nullopt;
        saved.values.emplace_back(std::move(*name), std::move(*value));
    }
    if (!saved.version || !reader.AtEnd()) return std::nullopt;
    return saved;
}

}  // namespace vexa
