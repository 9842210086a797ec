#include "tests/support/com/control_calls.hpp"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/win32/com/variant_value.hpp"
#include "platform/win32/wide_text.hpp"

namespace vexa::test {

Value ValueOf(const VARIANT& variant) {
    switch (V_VT(&variant)) {
        case VT_BOOL: return V_BOOL(&variant) != VARIANT_FALSE;
        case VT_I4: return static_cast<std::int32_t>(V_I4(&variant));
        case VT_R8: return V_R8(&variant);
        case VT_BSTR: return com::AnsiFromBstr(V_BSTR(&variant));
        default: return {};
    }
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
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    VARIANT answer;
    ::VariantInit(&answer);
    HRESULT status = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &answer, nullptr, nullptr);
    if (result) *result = ValueOf(answer);
    ::VariantClear(&answer);
    for (VARIANT& argument : reversed) ::VariantClear(&argument);
    return status;
}

Value Call(IDispatch* control, const std::string& name, const std::vector<Value>& arguments) {
    Value value;
    EXPECT_EQ(CallByName(control, name, DISPATCH_METHOD, arguments, &value), S_OK) << name;
    return value;
}

Value Get(IDispatch* control, const std::string& name) {
    Value value;
    EXPECT_EQ(CallByName(control, name, DISPATCH_PROPERTYGET, {}, &value), S_OK) << name;
    return value;
}

void Put(IDispatch* control, const std::string& name, const std::string& value) {
    EXPECT_EQ(CallByName(control, name, DISPATCH_PROPERTYPUT, {value}), S_OK) << name;
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > limitMs) return false;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

HRESULT EventRecorder::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    RecordedEvent event{id, {}};
    for (UINT i = params->cArgs; i-- > 0;) event.arguments.push_back(ValueOf(params->rgvarg[i]));
    events.push_back(event);
    if (onEvent) onEvent(events.back());
    return S_OK;
}

const RecordedEvent* EventRecorder::Find(DISPID id) const {
    for (const auto& event : events)
        if (event.id == id) return &event;
    return nullptr;
}

EventConnection::EventConnection(IDispatch* control, const IID& events, IDispatch* sink) {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(control->QueryInterface(IID_PPV_ARGS(&container))) ||
        FAILED(container->FindConnectionPoint(events, &point_)) || FAILED(point_->Advise(sink, &cookie_)))
        cookie_ = 0;
}

EventConnection::~EventConnection() { Disconnect(); }

HRESULT EventConnection::Disconnect() {
    if (cookie_ == 0) return S_FALSE;
    HRESULT status = point_->Unadvise(cookie_);
    cookie_ = 0;
    return status;
}

std::string JsText(const std::string& text) {
    std::string literal = "'";
    for (char c : text) {
        if (c == '\\' || c == '\'') literal += '\\';
        literal += c;
    }
    return literal + "'";
}

ScriptRun RunJScript(const std::string& script) {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    char path[MAX_PATH] = {};
    ::GetTempFileNameA(folder, "js", 0, path);
    const std::string file = std::string(path) + ".js";
    std::ofstream(file) << script;
    ScriptRun run{-1, {}};
    if (FILE* pipe = ::_popen(("cscript //nologo \"" + file + "\" 2>&1").c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) run.output += line;
        run.status = ::_pclose(pipe);
    }
    ::DeleteFileA(file.c_str());
    ::DeleteFileA(path);
    return run;
}

}  // namespace vexa::test
