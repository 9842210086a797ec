#pragma once
// A control's saved properties (common/property_exchange.hpp) in the two forms hosts hand
// over: a page's property bag, by name, and a stream, as one encoded block.

#include <ocidl.h>

#include <optional>
#include <string_view>
#include <vector>

#include "common/property_exchange.hpp"

namespace vexa::com {

// The version and each named property the bag holds, as text.
SavedProperties ReadPropertyBag(IPropertyBag& bag, const std::vector<std::string_view>& names);
HRESULT WritePropertyBag(IPropertyBag& bag, const SavedProperties& saved);

// Nothing when the stream holds no well-formed block.
std::optional<SavedProperties> ReadPropertyStream(IStream& stream);
HRESULT WritePropertyStream(IStream& stream, const SavedProperties& saved);

}  // namespace vexa::com
