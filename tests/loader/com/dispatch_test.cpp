#include <windows.h>
#include <initguid.h>
#include <ocidl.h>

#include "loader/com/vexaload.h"

#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

using Calls = VexaLoadTest;

TEST_F(Calls, MethodsAndPropertiesByNameWithoutRegardToCase) {
    ComPtr<IDispatch> control = CreateLoader();
    Value result;
    EXPECT_EQ(CallByName(control.Get(), "test1", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(result, Value(true));
    EXPECT_EQ(CallByName(control.Get(), "DefineCustomEvent", DISPATCH_METHOD, {std::string("GOTO URL")}, &result), S_OK);
    EXPECT_EQ(result, Value(true));
    EXPECT_EQ(CallByName(control.Get(), "SetCurrentUrl", DISPATCH_METHOD, {std::string("http://h/app/p.htm?a=1")}), S_OK);
    EXPECT_EQ(CallByName(control.Get(), "Cmd", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                         {std::string("Unknown"), std::string("x")}, &result),
              S_OK);
    EXPECT_EQ(result, Value(std::string()));
    EXPECT_EQ(Get(control.Get(), "DefaultURL"), Value(std::string()));
    Put(control.Get(), "defaulturl", "http://h/base/");
    EXPECT_EQ(Get(control.Get(), "DefaultURL"), Value(std::string("http://h/base/")));
}

TEST_F(Calls, ArgumentsAreCoercedOrRefused) {
    ComPtr<IDispatch> control = CreateLoader();
    const struct {
        const char* name;
        std::vector<Value> arguments;
        HRESULT status;
    } cases[] = {
        {"SetExecuteType", {std::string("100")}, S_OK},
        {"SetStandAloneMode", {std::int32_t{1}}, S_OK},
        {"SetExecuteType", {std::string("many")}, DISP_E_TYPEMISMATCH},
        {"Cmd", {std::string("only one")}, DISP_E_BADPARAMCOUNT},
        {"Test1", {true}, DISP_E_BADPARAMCOUNT},
        {"NoSuchMethod", {}, DISP_E_UNKNOWNNAME},
        {"DefaultPara", {std::string("x")}, DISP_E_BADPARAMCOUNT},
    };
    for (const auto& c : cases) EXPECT_EQ(CallByName(control.Get(), c.name, DISPATCH_METHOD, c.arguments), c.status) << c.name;
    EXPECT_EQ(CallByName(control.Get(), "Test1", DISPATCH_PROPERTYPUT, {true}), DISP_E_MEMBERNOTFOUND);
}

// A page's handler asks the control for the event's parameter while it handles one.
TEST_F(Calls, ARegisteredMessageWithAnAtomFiresCustomEventToAdvisedSinks) {
    ComPtr<IDispatch> control = CreateLoader();
    EventRecorder sink;
    std::vector<std::string> seen;
    sink.onEvent = [&](const RecordedEvent& event) {
        seen.push_back(std::to_string(event.id) + ":" + std::get<std::string>(event.arguments.at(0)) + "," +
                       std::get<std::string>(Get(control.Get(), "GetCustomEventPara")));
    };
    EventConnection connection(control.Get(), DIID__DVexaLoaderEvents, &sink);
    ASSERT_TRUE(connection.Connected());
    EXPECT_EQ(CallByName(control.Get(), "DefineCustomEvent", DISPATCH_METHOD, {std::string("GOTO URL")}), S_OK);

    // The control's window, as a started program finds it.
    HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, "VexaMessageWindow", nullptr);
    ASSERT_NE(window, nullptr);
    UINT message = ::RegisterWindowMessageA("goto url");
    ATOM atom = ::GlobalAddAtomA("http://h/next.htm");
    ASSERT_TRUE(::PostMessageA(window, message, atom, 0));
    ASSERT_TRUE(::PostMessageA(window, message, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<std::string>{"3:GOTO URL,http://h/next.htm", "3:GOTO URL,"}));
    EXPECT_EQ(Get(control.Get(), "GetCustomEventPara"), Value(std::string())) << "empty outside the event";
    ::GlobalDeleteAtom(atom);

    EXPECT_EQ(connection.Disconnect(), S_OK);
    ::SendMessageA(window, message, 0, 0);
    EXPECT_EQ(seen.size(), 2u) << "no event after Unadvise";
}

}  // namespace
}  // namespace vexa::test
