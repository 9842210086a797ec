// The author's sign-code commands, run one after the other on the finished script cabinet.

#include "common/text.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

using namespace texts;

namespace {

constexpr std::uint32_t kLookAgain = 100;  // ms between looks at a running command

}  // namespace

bool VexaWebExpress::ExecuteSignCodeCommands() {
    txtSignCodeCommands = std::string(Trim(txtSignCodeCommands));
    if (txtSignCodeCommands.empty()) return true;
    AppendProgress("Executing the Sign Code Commands...");
    DoEvents();
    std::string text = VexaCB1().ReplaceStringAllOccurrences(txtSignCodeCommands, "%1", ScriptCabPath());
    text = VexaCB1().ReplaceStringAllOccurrences(text, "%2", txtHtmlTitle);
    const std::string commandFile = ProjectFilesDir + "SignCodeCommands.BAT";
    if (!VexaDnld1().StringToTextFile(text, commandFile)) return false;
    for (const std::string& read : ReadTextFileLines(commandFile)) {
        const std::string line(Trim(read));
        if (line.empty()) continue;
        const std::size_t blank = line.find(' ');
        const std::string program = line.substr(0, blank);
        const std::string arguments = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        AppendProgress("Executing Sign Code Command: " + line);
        DoEvents();
        const std::int32_t handle = VexaDnld1().Execute2(program, arguments, true);
        if (handle == 0) AppendProgress("Error. Cannot execute: " + program);
        KeepWorking = true;
        // The wait ends as soon as the command does, rather than at the next whole second.
        while (VexaDnld1().IsExecuting(handle)) {
            platform_.processes.WaitForExit(static_cast<ProcessHandle>(static_cast<std::uint32_t>(handle)), kLookAgain);
            DoEvents();
            if (!KeepWorking) {
                Message(kSigningCanceled);
                return false;
            }
        }
    }
    return true;
}

}  // namespace vexa::wizard
