#include "platform/win32/com/variant_value.hpp"

#include <oleauto.h>

#include "platform/win32/wide_text.hpp"

namespace vexa::com {
namespace {

VARTYPE VariantTypeOf(ValueType type) {
    switch (type) {
        case ValueType::Bool: return VT_BOOL;
        case ValueType::Long: return VT_I4;
        case ValueType::String: return VT_BSTR;
        case ValueType::Double: return VT_R8;
        case ValueType::Empty: break;
    }
    return VT_EMPTY;
}

}  // namespace

std::string AnsiFromBstr(BSTR text) { return text ? AnsiFromWide({text, ::SysStringLen(text)}) : std::string(); }

BSTR BstrFromAnsi(const std::string& text) {
    std::wstring wide = WideFromAnsi(text);
    return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::optional<Value> ValueFromVariant(const VARIANT& variant, ValueType type) {
    VARIANT coerced;
    ::VariantInit(&coerced);
    if (type == ValueType::Empty ||
        FAILED(::VariantChangeType(&coerced, const_cast<VARIANT*>(&variant), 0, VariantTypeOf(type))))
        return std::nullopt;
    Value value;
    switch (type) {
        case ValueType::Bool: value = V_BOOL(&coerced) != VARIANT_FALSE; break;
        case ValueType::Long: value = static_cast<std::int32_t>(V_I4(&coerced)); break;
        case ValueType::Double: value = V_R8(&coerced); break;
        default: value = AnsiFromBstr(V_BSTR(&coerced)); break;
    }
    ::VariantClear(&coerced);
    return value;
}

void ValueToVariant(const Value& value, VARIANT* out) {
    ::VariantInit(out);
    if (const auto* flag = std::get_if<bool>(&value)) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const auto* number = std::get_if<std::int32_t>(&value)) {
        V_VT(out) = VT_I4;
        V_I4(out) = *number;
    } else if (const auto* real = std::get_if<double>(&value)) {
        V_VT(out) = VT_R8;
        V_R8(out) = *real;
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = BstrFromAnsi(*text);
    }
}

}  // namespace vexa::com
