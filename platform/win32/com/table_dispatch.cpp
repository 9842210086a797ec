#include "platform/win32/com/table_dispatch.hpp"

#include <oleauto.h>

#include "platform/win32/com/variant_value.hpp"

namespace vexa::com {

HRESULT IdsOfNames(const DispatchNames& member, LPOLESTR* names, UINT count, DISPID* ids) {
    ids[0] = member.member;
    bool allKnown = member.member != DISPID_UNKNOWN;
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (!member.parameters) continue;
        std::string name = AnsiFromWide(names[i]);
        for (std::size_t p = 0; p < member.parameters->size(); ++p)
            if (EqualsIgnoreCase((*member.parameters)[p].name, name)) ids[i] = static_cast<DISPID>(p);
        allKnown = allKnown && ids[i] != DISPID_UNKNOWN;
    }
    return allKnown ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT ArgumentsOf(const DISPPARAMS* params, const std::vector<Parameter>& parameters, std::vector<Value>& values,
                    UINT* argumentError) {
    if (params->cArgs != parameters.size()) return DISP_E_BADPARAMCOUNT;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        UINT position = static_cast<UINT>(parameters.size() - 1 - i);
        auto value = ValueFromVariant(params->rgvarg[position], parameters[i].type);
        if (!value) {
            if (argumentError) *argumentError = position;
            return DISP_E_TYPEMISMATCH;
        }
        values.push_back(std::move(*value));
    }
    return S_OK;
}

HRESULT Complete(const InvokeResult& outcome, VARIANT* result) {
    switch (outcome.status) {
        case InvokeStatus::Done: break;
        case InvokeStatus::BadParameterCount: return DISP_E_BADPARAMCOUNT;
        case InvokeStatus::TypeMismatch: return DISP_E_TYPEMISMATCH;
        case InvokeStatus::Failed: return DISP_E_EXCEPTION;
    }
    if (result) ValueToVariant(outcome.value, result);
    return S_OK;
}

// A put carries its one value as the named argument DISPID_PROPERTYPUT.
HRESULT InvokeProperty(WORD flags, const DISPPARAMS* params, const std::function<std::string()>& get,
                       const std::function<void(const std::string&)>& put, VARIANT* result, UINT* argumentError) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
        std::vector<Value> value;
        if (HRESULT status = ArgumentsOf(params, {{"", ValueType::String}}, value, argumentError); FAILED(status))
            return status;
        put(std::get<std::string>(value[0]));
        return S_OK;
    }
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    return Complete({InvokeStatus::Done, Value(get())}, result);
}

}  // namespace vexa::com
