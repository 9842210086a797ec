#pragma once
// Automation VARIANTs and the dispatch table's values: texts cross as BSTRs in the system's
// 8-bit code page, booleans as VARIANT_BOOL, longs as VT_I4.

#include <oaidl.h>

#include <optional>
#include <string>

#include "common/dispatch.hpp"

namespace vexa::com {

std::string AnsiFromBstr(BSTR text);
// A new BSTR the caller frees.
BSTR BstrFromAnsi(const std::string& text);

// The argument coerced to `type` as automation coerces (VariantChangeType, references
// followed); nothing if it cannot be.
std::optional<Value> ValueFromVariant(const VARIANT& variant, ValueType type);
// Into a cleared `out`; an empty value leaves it VT_EMPTY.
void ValueToVariant(const Value& value, VARIANT* out);

}  // namespace vexa::com
