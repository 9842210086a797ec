#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

using Script = VexaLoadTest;

TEST_F(Script, JScriptCreatesTheControlByProgramIdAndCallsIt) {
    ScriptRun run = RunJScript(
        "var c = new ActiveXObject('VEXALOAD.VexaLoaderCtrl.1');\n"
        "c.DefaultPara = 'p';\n"
        "WScript.Echo('Test1=' + c.Test1() + ' DefaultPara=' + c.DefaultPara + ' Cmd=[' + c.Cmd('x', 'y') + ']');\n"
        "WScript.Quit(3);\n");
    EXPECT_EQ(run.output, "Test1=true DefaultPara=p Cmd=[]\n");
    EXPECT_EQ(run.status, 3);
}

}  // namespace
}  // namespace vexa::test
