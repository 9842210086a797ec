#include "tests/support/com/type_library_members.hpp"

#include <ocidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "platform/win32/com/variant_value.hpp"

namespace vexa::test {
namespace {

using Microsoft::WRL::ComPtr;

VARTYPE Automation(ValueType type) {
    switch (type) {
        case ValueType::Bool: return VT_BOOL;
        case ValueType::Long: return VT_I4;
        case ValueType::String: return VT_BSTR;
        case ValueType::Double: return VT_R8;
        case ValueType::Empty: break;
    }
    return VT_VOID;
}

std::vector<std::string> Names(ITypeInfo* info, MEMBERID id, UINT count) {
    std::vector<BSTR> names(count + 1);
    UINT got = 0;
    info->GetNames(id, names.data(), count + 1, &got);
    std::vector<std::string> texts;
    for (UINT i = 0; i < got; ++i) {
        texts.push_back(com::AnsiFromBstr(names[i]));
        ::SysFreeString(names[i]);
    }
    return texts;
}

// The library's description of the control's default source interface.
ComPtr<ITypeInfo> SourceInterface(IDispatch* control) {
    ComPtr<IProvideClassInfo2> provider;
    ComPtr<ITypeInfo> coclass, events;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&provider)), S_OK);
    if (!provider) return events;
    GUID eventsId{};
    EXPECT_EQ(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventsId), S_OK);
    EXPECT_EQ(provider->GetClassInfo(&coclass), S_OK);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    if (coclass && SUCCEEDED(coclass->GetContainingTypeLib(&library, &index))) {
        EXPECT_EQ(library->GetTypeInfoOfGuid(eventsId, &events), S_OK);
    }
    return events;
}

}  // namespace

TypeMember MemberOf(std::int32_t id, std::string_view name, const std::vector<Parameter>& parameters, ValueType result) {
    TypeMember member{id, std::string(name), {}, {}, Automation(result)};
    for (const auto& parameter : parameters) {
        member.parameters.emplace_back(parameter.name);
        member.types.push_back(Automation(parameter.type));
    }
    return member;
}

std::vector<TypeMember> MembersOf(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    std::vector<TypeMember> members;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        info->GetFuncDesc(i, &function);
        auto names = Names(info, function->memid, static_cast<UINT>(function->cParams));
        TypeMember member{function->memid, names.at(0), {names.begin() + 1, names.end()}, {},
                          function->elemdescFunc.tdesc.vt};
        for (SHORT p = 0; p < function->cParams; ++p) member.types.push_back(function->lprgelemdescParam[p].tdesc.vt);
        members.push_back(member);
        info->ReleaseFuncDesc(function);
    }
    for (UINT i = 0; i < attributes->cVars; ++i) {
        VARDESC* variable = nullptr;
        info->GetVarDesc(i, &variable);
        members.push_back(
            {variable->memid, Names(info, variable->memid, 0).at(0), {}, {}, variable->elemdescVar.tdesc.vt});
        info->ReleaseVarDesc(variable);
    }
    info->ReleaseTypeAttr(attributes);
    return members;
}

void ExpectEventsDescribed(IDispatch* control, const std::vector<EventEntry>& events) {
    ComPtr<ITypeInfo> info = SourceInterface(control);
    ASSERT_TRUE(info);
    std::vector<TypeMember> expected;
    for (const auto& event : events) expected.push_back(MemberOf(event.id, event.name, event.parameters, ValueType::Empty));
    EXPECT_EQ(MembersOf(info.Get()), expected);
}

}  // namespace vexa::test
