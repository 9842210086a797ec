#include "tests/loader/com/vexaload_support.hpp"

#include <ole2.h>

#include "platform/win32/com/variant_value.hpp"
#include "platform/win32/wide_text.hpp"

namespace vexa::test {
namespace {

HMODULE Library() {
    static HMODULE library = ::LoadLibraryA(VEXA_LOADER_OCX);
    return library;
}

}  // namespace

void VexaLoadTest::SetUpTestSuite() {
    ASSERT_NE(Library(), nullptr) << VEXA_LOADER_OCX;
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
}

void VexaLoadTest::SetUp() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }

void VexaLoadTest::TearDown() { ::OleUninitialize(); }

HRESULT VexaLoadTest::CallExport(const char* name) {
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(::GetProcAddress(Library(), name)));
    return entry ? entry() : E_NOTIMPL;
}

ComPtr<IDispatch> VexaLoadTest::CreateLoader() {
    CLSID classId{};
    ComPtr<IDispatch> control;
    EXPECT_EQ(::CLSIDFromProgID(L"VEXALOAD.VexaLoaderCtrl.1", &classId), S_OK);
    EXPECT_EQ(::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
    return control;
}

HRESULT CallByName(IDispatch* control, const std::string& name, WORD flags, const std::vector<Value>& arguments,
                   Value* result) {
    std::wstring wide = WideFromAnsi(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = 0;
    if (HRESULT status = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(status))
        return status;
    std::vector<VARIANT> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i)
        com::ValueToVariant(arguments[i], &reversed[arguments.size() - 1 - i]);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &putId : nullptr,
                      static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    VARIANT answer;
    ::VariantInit(&answer);
    HRESULT status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &answer, nullptr, nullptr);
    if (result) {
        *result = Value();
        if (V_VT(&answer) == VT_BOOL) *result = V_BOOL(&answer) == VARIANT_TRUE;
        if (V_VT(&answer) == VT_I4) *result = static_cast<std::int32_t>(V_I4(&answer));
        if (V_VT(&answer) == VT_BSTR) *result = com::AnsiFromBstr(V_BSTR(&answer));
    }
    ::VariantClear(&answer);
    for (VARIANT& argument : reversed) ::VariantClear(&argument);
    return status;
}

Value Get(IDispatch* control, const std::string& name) {
    Value value;
    EXPECT_EQ(CallByName(control, name, DISPATCH_PROPERTYGET, {}, &value), S_OK) << name;
    return value;
}

void Put(IDispatch* control, const std::string& name, const std::string& value) {
    EXPECT_EQ(CallByName(control, name, DISPATCH_PROPERTYPUT, {value}), S_OK) << name;
}

bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > 2000) return false;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

}  // namespace vexa::test
