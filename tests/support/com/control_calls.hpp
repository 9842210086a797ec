#pragma once
// A control as scripts and pages reach it: calls by name through IDispatch, its events in
// an advised sink, the thread's messages run until something happened, and JScript run
// by the system's script host.

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/dispatch.hpp"

namespace vexa::test {

using Microsoft::WRL::ComPtr;

// A COM object that lives on a test's stack: it answers for IUnknown and its one
// interface, and reference counts mean nothing to it.
template <class Interface, const IID& kInterfaceId>
class StackObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == kInterfaceId ? static_cast<Interface*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// A boolean, long, double or text; empty for anything else.
Value ValueOf(const VARIANT& variant);

// Calls `name` with `arguments` in declaration order; the result, or a failure status.
HRESULT CallByName(IDispatch* control, const std::string& name, WORD flags, const std::vector<Value>& arguments,
                   Value* result = nullptr);
// The method's result, expected to succeed.
Value Call(IDispatch* control, const std::string& name, const std::vector<Value>& arguments = {});
Value Get(IDispatch* control, const std::string& name);
void Put(IDispatch* control, const std::string& name, const std::string& value);

// Runs the thread's messages until `done` or the limit has passed.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 2000);

struct RecordedEvent {
    DISPID id;
    std::vector<Value> arguments;  // in declaration order
};

// Records the events it is called with; `onEvent` runs inside each, as a page's handler.
class EventRecorder final : public StackObject<IDispatch, IID_IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    // The first event with `id`, or null.
    const RecordedEvent* Find(DISPID id) const;

    std::vector<RecordedEvent> events;
    std::function<void(const RecordedEvent&)> onEvent;
};

// A sink advised at the control's connection point for `events` while this lives.
class EventConnection {
public:
    EventConnection(IDispatch* control, const IID& events, IDispatch* sink);
    ~EventConnection();
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;

    bool Connected() const { return cookie_ != 0; }
    HRESULT Disconnect();

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

// `text` as a JScript string literal.
std::string JsText(const std::string& text);

struct ScriptRun {
    int status;          // what the script gave WScript.Quit
    std::string output;  // what it printed, errors included, its line ends as "\n"
};
// Runs `script` with the system's script host. The host exits 0 even when the script
// fails, so a script ends with WScript.Quit and prints what the test checks.
ScriptRun RunJScript(const std::string& script);

}  // namespace vexa::test
