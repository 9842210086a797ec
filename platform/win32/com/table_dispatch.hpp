#pragma once
// IDispatch over a control's dispatch table: names to ids without regard to case, and
// calls with their VARIANT arguments checked and converted. Methods answer
// DISPATCH_METHOD and DISPATCH_PROPERTYGET (scripts call them either way); the table's
// properties are read and written as properties.

#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

#include "common/dispatch.hpp"
#include "platform/win32/wide_text.hpp"

namespace vexa::com {

// One name in the table's terms: a member, then the names of its parameters.
struct DispatchNames {
    DISPID member = DISPID_UNKNOWN;
    const std::vector<Parameter>* parameters = nullptr;
};

// The automation ids of `names`: the member first, then the parameters' positions.
HRESULT IdsOfNames(const DispatchNames& member, LPOLESTR* names, UINT count, DISPID* ids);

// The DISPPARAMS as the parameters' values, in declaration order (COM passes them last
// first). On a mismatch, `argumentError` names the offending argument as COM counts it.
HRESULT ArgumentsOf(const DISPPARAMS* params, const std::vector<Parameter>& parameters, std::vector<Value>& values,
                    UINT* argumentError);

// A call's outcome as an automation result, its value into `result` when there is one.
HRESULT Complete(const InvokeResult& outcome, VARIANT* result);

// A text property: got by DISPATCH_PROPERTYGET (or DISPATCH_METHOD) without arguments, put
// by DISPATCH_PROPERTYPUT with one.
HRESULT InvokeProperty(WORD flags, const DISPPARAMS* params, const std::function<std::string()>& get,
                       const std::function<void(const std::string&)>& put, VARIANT* result, UINT* argumentError);

template <typename Control>
HRESULT TableInvoke(const DispatchTable<Control>& table, Control& control, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
    if (!params) return E_INVALIDARG;
    for (const auto& method : table.Methods()) {
        if (method.id != id) continue;
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        std::vector<Value> arguments;
        if (HRESULT status = ArgumentsOf(params, method.parameters, arguments, argumentError); FAILED(status))
            return status;
        return Complete(Invoke(control, method, arguments), result);
    }
    for (const auto& property : table.Properties()) {
        if (property.id != id) continue;
        return InvokeProperty(
            flags, params, [&] { return property.get(control); },
            [&](const std::string& value) { property.put(control, value); }, result, argumentError);
    }
    return DISP_E_MEMBERNOTFOUND;
}

template <typename Control>
HRESULT TableIdsOfNames(const DispatchTable<Control>& table, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    DispatchNames member;
    std::string name = AnsiFromWide(names[0]);
    if (const auto* method = table.FindMethod(name)) {
        member = {method->id, &method->parameters};
    } else {
        for (const auto& property : table.Properties())
            if (EqualsIgnoreCase(property.name, name)) member = {property.id, nullptr};
    }
    return IdsOfNames(member, names, count, ids);
}

}  // namespace vexa::com
