#include <ocidl.h>
#include <oleauto.h>

#include "loader/loader_dispatch.hpp"
#include "platform/win32/com/variant_value.hpp"
#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

// A member as the type library describes it: id, name, parameter names and types, result.
struct Member {
    std::int32_t id;
    std::string name;
    std::vector<std::string> parameters;
    std::vector<VARTYPE> types;
    VARTYPE result;
    bool operator==(const Member&) const = default;
};

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

Member FromTable(std::int32_t id, std::string_view name, const std::vector<Parameter>& parameters, ValueType result) {
    Member member{id, std::string(name), {}, {}, Automation(result)};
    for (const auto& parameter : parameters) {
        member.parameters.emplace_back(parameter.name);
        member.types.push_back(Automation(parameter.type));
    }
    return member;
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

std::vector<Member> Functions(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    std::vector<Member> members;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        info->GetFuncDesc(i, &function);
        auto names = Names(info, function->memid, static_cast<UINT>(function->cParams));
        Member member{function->memid, names.at(0), {names.begin() + 1, names.end()}, {},
                      function->elemdescFunc.tdesc.vt};
        for (SHORT p = 0; p < function->cParams; ++p) member.types.push_back(function->lprgelemdescParam[p].tdesc.vt);
        members.push_back(member);
        info->ReleaseFuncDesc(function);
    }
    for (UINT i = 0; i < attributes->cVars; ++i) {
        VARDESC* variable = nullptr;
        info->GetVarDesc(i, &variable);
        members.push_back({variable->memid, Names(info, variable->memid, 0).at(0), {}, {},
                           variable->elemdescVar.tdesc.vt});
        info->ReleaseVarDesc(variable);
    }
    info->ReleaseTypeAttr(attributes);
    return members;
}

ComPtr<ITypeInfo> SourceInterface(IDispatch* control) {
    ComPtr<IProvideClassInfo2> provider;
    ComPtr<ITypeInfo> coclass, events;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&provider)), S_OK);
    GUID eventsId{};
    EXPECT_EQ(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &eventsId), S_OK);
    EXPECT_EQ(provider->GetClassInfo(&coclass), S_OK);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    EXPECT_EQ(coclass->GetContainingTypeLib(&library, &index), S_OK);
    EXPECT_EQ(library->GetTypeInfoOfGuid(eventsId, &events), S_OK);
    return events;
}

using TypeLibrary = VexaLoadTest;

TEST_F(TypeLibrary, DescribesExactlyTheDispatchTable) {
    ComPtr<IDispatch> control = CreateLoader();
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    const auto& table = loader::VexaLoaderDispatch();
    std::vector<Member> expected;
    for (const auto& method : table.Methods())
        expected.push_back(FromTable(method.id, method.name, method.parameters, method.result));
    for (const auto& property : table.Properties())
        expected.push_back(FromTable(property.id, property.name, {}, ValueType::String));
    EXPECT_EQ(Functions(info.Get()), expected);
}

TEST_F(TypeLibrary, DescribesExactlyTheEvents) {
    ComPtr<IDispatch> control = CreateLoader();
    ComPtr<ITypeInfo> events = SourceInterface(control.Get());
    ASSERT_TRUE(events);
    std::vector<Member> expected;
    for (const auto& event : loader::VexaLoaderDispatch().Events())
        expected.push_back(FromTable(event.id, event.name, event.parameters, ValueType::Empty));
    EXPECT_EQ(Functions(events.Get()), expected);
}

}  // namespace
}  // namespace vexa::test
