#include "loader/loader_dispatch.hpp"

namespace vexa::loader {
namespace {

constexpr std::int32_t kAboutBoxId = -552;  // the standard about-box dispatch id
constexpr ValueType kString = ValueType::String;
constexpr ValueType kLong = ValueType::Long;

std::vector<MethodEntry<VexaLoader>> Methods() {
    using C = VexaLoader;
    return {
        Method(4, "Beep", &C::Beep),
        Method(5, "IsScriptRunning", &C::IsScriptRunning),
        Method(6, "RunScript", &C::RunScript, "ScriptFilename"),
        Method(7, "DefineCustomEvent", &C::DefineCustomEvent, "EventName"),
        Method(8, "CloseScript", &C::CloseScript),
        Method(9, "GetProductDirectory", &C::GetProductDirectory),
        Method(10, "Test1", &C::Test1),
        Method(11, "SetCurrentUrl", &C::SetCurrentUrl, "UrlName"),
        Method(12, "GetCustomEventPara", &C::GetCustomEventPara),
        Method(13, "SetStandAloneMode", &C::SetStandAloneMode, "StandAloneMode"),
        Method(14, "SetExecuteType", &C::SetExecuteType, "ExecuteType"),
        Method(15, "GetCustomVar", &C::GetCustomVar),
        Method(16, "Cmd", &C::Cmd, "strCmd", "strPar"),
        Method(kAboutBoxId, "AboutBox", &C::AboutBox),
    };
}

template <std::string VexaLoader::*field>
PropertyEntry<VexaLoader> Property(std::int32_t id, std::string_view name) {
    return {id, name, [](const VexaLoader& c) { return c.*field; },
            [](VexaLoader& c, const std::string& value) { c.*field = value; }};
}

std::vector<PropertyEntry<VexaLoader>> Properties() {
    return {
        Property<&VexaLoader::autoScriptFilename>(1, "AutoScriptFilename"),
        Property<&VexaLoader::defaultUrl>(2, "DefaultURL"),
        Property<&VexaLoader::defaultPara>(3, "DefaultPara"),
    };
}

std::vector<EventEntry> Events() {
    return {
        {kScriptError, "ScriptError", {{"ErrorCode", kLong}, {"ErrorMessage", kString}}},
        {kScriptDone, "ScriptDone", {}},
        {kCustomEvent, "CustomEvent", {{"EventName", kString}}},
        {kMiscEvent, "MiscEvent", {{"EventName", kString}}},
        {kClick, "Click", {}},
    };
}

}  // namespace

const DispatchTable<VexaLoader>& VexaLoaderDispatch() {
    static const DispatchTable<VexaLoader> table(Methods(), Events(), Properties());
    return table;
}

}  // namespace vexa::loader
