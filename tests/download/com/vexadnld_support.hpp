#pragma once
// The download control's library as its tests meet it: loaded and registered once, its
// control made by program id, and a fresh folder of files for each test.

#include <string>

#include "tests/support/com/control_calls.hpp"
#include "tests/support/com/control_library.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::test {

class VexaDnldTest : public ControlLibraryTest {
protected:
    static ComPtr<IDispatch> CreateDownloadControl() { return CreateControl(L"VEXADNLD.VexaDnldCtrl.1"); }

    std::string Path(const std::string& name) const { return dir_ / name; }

    testing::TempDir dir_;
};

}  // namespace vexa::test
