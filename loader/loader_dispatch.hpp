#pragma once
// The loader control's identity and dispatch table: methods, properties and events with
// their dispatch ids, names and types.

#include <cstdint>
#include <string_view>

#include "common/dispatch.hpp"
#include "loader/vexa_loader.hpp"

namespace vexa::loader {

inline constexpr std::string_view kVexaLoaderProgId = "VEXALOAD.VexaLoaderCtrl.1";
inline constexpr std::string_view kVexaLoaderClassId = "{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}";
inline constexpr std::string_view kVexaLoaderVersion = "2, 3, 0, 35";

// Event dispatch ids.
enum VexaLoaderEvent : std::int32_t {
    kScriptError = 1,
    kScriptDone,
    kCustomEvent,
    kMiscEvent,
    kClick = -600,  // the standard click
};

// Built once and never changed.
const DispatchTable<VexaLoader>& VexaLoaderDispatch();

}  // namespace vexa::loader
