#include "tests/cabinet/com/vexacb_support.hpp"

namespace vexa::test {
namespace {

using Script = VexaCBTest;

// Events do not reach JScript under Wine, nor does its script host sleep, so the script
// waits for the shared worker by trying to open the cabinet, which the control refuses
// while a job runs.
TEST_F(Script, JScriptMakesACabinetAndExpandsIt) {
    testing::WriteFile(Path("a.txt"), "made by a script");
    ScriptRun run = RunJScript(
        "var c = new ActiveXObject('VEXACB.VexaCBCtrl.1');\n"
        "var cab = " + JsText(Path("a.cab")) + ", into = " + JsText(Path("out")) + ";\n"
        "function idle() {\n"
        "  for (var end = new Date().getTime() + 30000; new Date().getTime() < end;)\n"
        "    if (c.OpenCabForExpansion(cab)) return true;\n"
        "  return false;\n"
        "}\n"
        "var made = c.AddFileToCabImage(" + JsText(Path("a.txt")) + ", 'notes\\\\a.txt') && c.MakeCabFile(cab, 0);\n"
        "if (!made || !idle()) { WScript.Echo('no cabinet'); WScript.Quit(1); }\n"
        "var listed = c.GetNumFilesInCab() + ' ' + c.GetFilenameInCab(0);\n"
        "var expanding = c.ExpandCabFile(into);\n"
        "idle();\n"
        "WScript.Echo(listed + ' ' + expanding + ' ' + c.TextFileToString(into + '\\\\notes\\\\a.txt'));\n"
        "WScript.Quit(0);\n");
    EXPECT_EQ(run.output, "1 notes\\a.txt true made by a script\n");
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace vexa::test
