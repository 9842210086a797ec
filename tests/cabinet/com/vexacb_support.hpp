#pragma once
// The cabinet control's library as its tests meet it: loaded and registered once, its
// controls made by program id, and a fresh folder of files for each test.

#include <string>

#include "tests/support/com/control_calls.hpp"
#include "tests/support/com/control_library.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::test {

class VexaCBTest : public ControlLibraryTest {
protected:
    static ComPtr<IDispatch> CreateCabinetControl() { return CreateControl(L"VEXACB.VexaCBCtrl.1"); }

    std::string Path(const std::string& name) const { return dir_ / name; }
    // A file of `size` bytes that compress little, so that making a cabinet of it takes a while.
    std::string WriteNoise(const std::string& name, std::size_t size) const;

    testing::TempDir dir_;
};

}  // namespace vexa::test
