#pragma once
// A control's stored properties as a host saves and loads them: every property entry of
// its dispatch table (all texts, empty by default) with the version of the control that
// saved them. A control never takes properties saved by a newer major version, whose
// meaning it cannot know; older and unversioned ones load.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/dispatch.hpp"

namespace vexa {

struct PropertyVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
};

// The name under which the version is kept among the properties, and its number there:
// major * 65536 + minor, as pages write it in their parameters.
inline constexpr std::string_view kVersionPropertyName = "_Version";
std::uint32_t PackedVersion(PropertyVersion version);

struct SavedProperties {
    // None when the saved form carried no version.
    std::optional<std::uint32_t> version;
    std::vector<std::pair<std::string, std::string>> values;

    // By name without regard to case; the first of equal names.
    const std::string* Find(std::string_view name) const;
};

// Whether properties saved with `saved` may be loaded by a control of version `current`.
bool LoadableVersion(std::optional<std::uint32_t> saved, PropertyVersion current);

// Reads the version from its property text; a text that is no number is no version a
// control could take, so it reads as a version too new to load.
std::optional<std::uint32_t> VersionFromText(const std::optional<std::string>& text);

template <typename Control>
SavedProperties SaveProperties(const DispatchTable<Control>& table, const Control& control,
                               PropertyVersion version) {
    SavedProperties saved{PackedVersion(version), {}};
    for (const auto& property : table.Properties())
        saved.values.emplace_back(std::string(property.name), property.get(control));
    return saved;
}

// Sets every property from `saved` (a missing one to empty). Properties of a version the
// control may not load are all set to empty, and the answer is false.
template <typename Control>
bool LoadProperties(const DispatchTable<Control>& table, Control& control, PropertyVersion current,
                    const SavedProperties& saved) {
    const bool loadable = LoadableVersion(saved.version, current);
    for (const auto& property : table.Properties()) {
        const std::string* value = loadable ? saved.Find(property.name) : nullptr;
        property.put(control, value ? *value : std::string());
    }
    return loadable;
}

// The stream form: a 32-bit length of the rest, the version, the number of properties,
// then each name and value as a 32-bit length and its bytes; numbers little-endian.
inline constexpr std::size_t kEncodedLengthSize = 4;
inline constexpr std::uint32_t kMaxEncodedLength = 1u << 20;
std::string EncodeProperties(const SavedProperties& saved);
// The length of what follows the first kEncodedLengthSize bytes; none if it is out of bounds.
std::optional<std::uint32_t> EncodedRestLength(std::string_view lengthBytes);
// Nothing unless `bytes` is exactly one well-formed block.
std::optional<SavedProperties> DecodeProperties(std::string_view bytes);

}  // namespace vexa
