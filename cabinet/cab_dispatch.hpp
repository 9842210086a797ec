#pragma once
// The cabinet control's identity and dispatch table: its methods and events with their
// dispatch ids, names and types.

#include <cstdint>
#include <string_view>

#include "cabinet/vexa_cb.hpp"
#include "common/dispatch.hpp"

namespace vexa {

inline constexpr std::string_view kVexaCBProgId = "VEXACB.VexaCBCtrl.1";
inline constexpr std::string_view kVexaCBClassId = "{8D2F6B19-E4A3-4C57-9B80-1F6C2E7D4A93}";

// Event dispatch ids.
enum VexaCBEvent : std::int32_t {
    kMiscEvent = 1,
    kMakeCabDone,
    kMakeCabError,
    kMakeCabProgress,
    kMakeCabCancel,
    kExpandCabError,
    kExpandCabProgress,
    kExpandCabOverwriteExistingFile,
    kExpandCabCancel,
    kExpandCabDone,
};

// Built once and never changed.
const DispatchTable<VexaCB>& VexaCBDispatch();

}  // namespace vexa
