#pragma once
// The loader control's library as its tests meet it: loaded, registered, and its control
// made by program id and called by name as a page's script calls it.

#include "tests/support/com/control_calls.hpp"
#include "tests/support/com/control_library.hpp"

namespace vexa::test {

class VexaLoadTest : public ControlLibraryTest {
protected:
    static ComPtr<IDispatch> CreateLoader() { return CreateControl(L"VEXALOAD.VexaLoaderCtrl.1"); }
};

}  // namespace vexa::test
