#include "installer/install_script.hpp"

#include "cabcodec/member_name.hpp"
#include "common/text.hpp"

namespace vexa::installer {
namespace {

constexpr std::string_view kCreateProgramGroup = "CREATEPROGRAMGROUP";
constexpr std::string_view kExecute = "EXECUTE";
constexpr std::string_view kExecuteInSeparateWindow = "EXECUTEINSEPARATEWINDOW";

// Arguments 2 on, as one command line.
std::string JoinArguments(const ScriptLines& lines, std::size_t i) {
    std::string joined;
    const int count = CountArguments(lines, i);
    for (int k = 2; k <= count; ++k) {
        std::string argument = GetArgument(lines, i, k);
        if (argument.find(' ') != std::string::npos) argument = '"' + argument + '"';
        if (k > 2) joined += ' ';
        joined += argument;
    }
    return std::string(Trim(joined));
}

}  // namespace

InstallerSettings ReadSettings(const ScriptLines& lines) {
    return {GetScriptVar(lines, "ProductName"), GetScriptVar(lines, "ProductDirectory"),
            GetScriptVar(lines, "ProductProgramGroup"), GetScriptVar(lines, "DoneMessage"),
            GetScriptVar(lines, "Password"), GetScriptVar(lines, "CheckTrust")};
}

std::optional<std::string> AfterPlaceholder(std::string_view text, std::string_view placeholder) {
    if (!StartsWithIgnoreCase(text, placeholder)) return std::nullopt;
    std::string_view rest = text.substr(placeholder.size());
    if (rest.starts_with('\\') || rest.starts_with('/')) rest.remove_prefix(1);
    return std::string(rest);
}

bool StaysBelow(std::string_view remainder) { return remainder.empty() || cab::IsSafeMemberName(remainder, 0); }

std::string MemberNameOf(std::string_view cabinetArgument) {
    const std::size_t slash = cabinetArgument.find_last_of("\\/");
    return ToUpperAnsi(slash == std::string_view::npos ? cabinetArgument : cabinetArgument.substr(slash + 1));
}

std::optional<ProgramGroupLine> ReadProgramGroupLine(const ScriptLines& lines, std::size_t i) {
    if (GetCommandWord(lines, i) != kCreateProgramGroup) return std::nullopt;
    auto folder = AfterPlaceholder(GetArgument(lines, i, 1), kProductProgramGroupPlaceholder);
    auto target = AfterPlaceholder(GetArgument(lines, i, 3), kProductDirectoryPlaceholder);
    if (!folder || !target) return std::nullopt;
    return ProgramGroupLine{*folder, GetArgument(lines, i, 2), *target};
}

ExecuteSearch FindExecuteLine(const ScriptLines& lines) {
    ExecuteSearch search;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string word = GetCommandWord(lines, i);
        if (word != kExecute && word != kExecuteInSeparateWindow) continue;
        search.present = true;
        if (auto program = AfterPlaceholder(GetArgument(lines, i, 1), kProductDirectoryPlaceholder)) {
            search.line = ExecuteLine{*program, JoinArguments(lines, i)};
            break;
        }
    }
    return search;
}

}  // namespace vexa::installer
