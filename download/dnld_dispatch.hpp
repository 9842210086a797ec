#pragma once
// The download control's identity and dispatch table: its methods and events with their
// dispatch ids, names and types.

#include <cstdint>
#include <string_view>

#include "common/dispatch.hpp"
#include "download/vexa_dnld.hpp"

namespace vexa::download {

inline constexpr std::string_view kVexaDnldProgId = "VEXADNLD.VexaDnldCtrl.1";
inline constexpr std::string_view kVexaDnldClassId = "{2C94E7A6-71B8-4D3E-A5F2-0B8D6C1E9F47}";

// Event dispatch ids.
enum VexaDnldEvent : std::int32_t {
    kProgress = 1,
    kDoneInstall,
    kInstallWasCanceled,
    kInstallError,
    kMiscEvent,
    kSendStringToCgiDone,
    kSendStringToCgiError,
};

// Built once and never changed.
const DispatchTable<VexaDnld>& VexaDnldDispatch();

}  // namespace vexa::download
