#pragma once
// A control's type library against its dispatch table: the members of its dispatch
// interface and of its event interface, each with id, name, parameter names and types and
// result, must be exactly the table's.

#include <oaidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/dispatch.hpp"

namespace vexa::test {

struct TypeMember {
    std::int32_t id;
    std::string name;
    std::vector<std::string> parameters;
    std::vector<VARTYPE> types;
    VARTYPE result;
    bool operator==(const TypeMember&) const = default;
};

TypeMember MemberOf(std::int32_t id, std::string_view name, const std::vector<Parameter>& parameters, ValueType result);
// The functions, then the properties, of a dispatch interface's description.
std::vector<TypeMember> MembersOf(ITypeInfo* info);
void ExpectEventsDescribed(IDispatch* control, const std::vector<EventEntry>& events);

// Both interfaces of the control, as its IDispatch and its class information give them.
template <typename Control>
void ExpectTypeLibraryDescribes(IDispatch* control, const DispatchTable<Control>& table) {
    std::vector<TypeMember> expected;
    for (const auto& method : table.Methods())
        expected.push_back(MemberOf(method.id, method.name, method.parameters, method.result));
    for (const auto& property : table.Properties())
        expected.push_back(MemberOf(property.id, property.name, {}, ValueType::String));
    ITypeInfo* info = nullptr;
    ASSERT_EQ(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    EXPECT_EQ(MembersOf(info), expected);
    info->Release();
    ExpectEventsDescribed(control, table.Events());
}

}  // namespace vexa::test
