#include "platform/win32/com/persisted_properties.hpp"

#include <oleauto.h>

#include <string>

#include "platform/win32/com/variant_value.hpp"
#include "platform/win32/wide_text.hpp"

namespace vexa::com {
namespace {

std::optional<std::string> ReadText(IPropertyBag& bag, std::string_view name) {
    std::wstring wide = WideFromAnsi(std::string(name));
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    if (FAILED(bag.Read(wide.c_str(), &value, nullptr))) return std::nullopt;
    auto text = ValueFromVariant(value, ValueType::String);
    ::VariantClear(&value);
    if (!text) return std::nullopt;
    return std::get<std::string>(*text);
}

HRESULT WriteValue(IPropertyBag& bag, std::string_view name, const Value& value) {
    std::wstring wide = WideFromAnsi(std::string(name));
    VARIANT variant;
    ValueToVariant(value, &variant);
    HRESULT status = bag.Write(wide.c_str(), &variant);
    ::VariantClear(&variant);
    return status;
}

bool ReadExactly(IStream& stream, std::string& bytes) {
    ULONG read = 0;
    return SUCCEEDED(stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) && read == bytes.size();
}

}  // namespace

SavedProperties ReadPropertyBag(IPropertyBag& bag, const std::vector<std::string_view>& names) {
    SavedProperties saved;
    saved.version = VersionFromText(ReadText(bag, kVersionPropertyName));
    for (std::string_view name : names)
        if (auto value = ReadText(bag, name)) saved.values.emplace_back(std::string(name), std::move(*value));
    return saved;
}

HRESULT WritePropertyBag(IPropertyBag& bag, const SavedProperties& saved) {
    HRESULT status = WriteValue(bag, kVersionPropertyName, static_cast<std::int32_t>(saved.version.value_or(0)));
    for (const auto& [name, value] : saved.values)
        if (SUCCEEDED(status)) status = WriteValue(bag, name, value);
    return status;
}

// The length comes first, so no more than the block is ever read from the stream.
std::optional<SavedProperties> ReadPropertyStream(IStream& stream) {
    std::string block(kEncodedLengthSize, '\0');
    if (!ReadExactly(stream, block)) return std::nullopt;
    auto rest = EncodedRestLength(block);
    if (!rest) return std::nullopt;
    std::string body(*rest, '\0');
    if (!ReadExactly(stream, body)) return std::nullopt;
    return DecodeProperties(block + body);
}

HRESULT WritePropertyStream(IStream& stream, const SavedProperties& saved) {
    std::string bytes = EncodeProperties(saved);
    ULONG written = 0;
    HRESULT status = stream.Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    return SUCCEEDED(status) && written != bytes.size() ? STG_E_MEDIUMFULL : status;
}

}  // namespace vexa::com
