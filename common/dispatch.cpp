#include "common/dispatch.hpp"

#include <charconv>

namespace vexa {

ValueType TypeOf(const Value& value) { return static_cast<ValueType>(value.index()); }

std::string_view TypeName(ValueType type) {
    switch (type) {
        case ValueType::Bool: return "bool";
        case ValueType::Long: return "long";
        case ValueType::String: return "string";
        case ValueType::Double: return "double";
        case ValueType::Empty: break;
    }
    return "void";
}

std::optional<Value> ParseValue(ValueType type, std::string_view text) {
    switch (type) {
        case ValueType::Bool:
            if (EqualsIgnoreCase(text, "true") || text == "1" || text == "-1") return Value(true);
            if (EqualsIgnoreCase(text, "false") || text == "0") return Value(false);
            return std::nullopt;
        case ValueType::Long: {
            std::int32_t number = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
            return Value(number);
        }
        case ValueType::String: return Value(std::string(text));
        case ValueType::Double: {
            double number = 0;
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
            return Value(number);
        }
        case ValueType::Empty: break;
    }
    return std::nullopt;
}

std::string FormatValue(const Value& value) {
    switch (TypeOf(value)) {
        case ValueType::Bool: return std::get<bool>(value) ? "true" : "false";
        case ValueType::Long: return std::to_string(std::get<std::int32_t>(value));
        case ValueType::String: return std::get<std::string>(value);
        case ValueType::Double: {
            char text[32];
            auto [end, error] = std::to_chars(text, text + sizeof text, std::get<double>(value));
            return error == std::errc() ? std::string(text, end) : std::string();
        }
        case ValueType::Empty: break;
    }
    return {};
}

}  // namespace vexa
