#include "tests/download/com/vexadnld_support.hpp"

namespace vexa::test {
namespace {

using Script = VexaDnldTest;

TEST_F(Script, JScriptSignsAndVerifiesAFile) {
    testing::WriteFile(Path("a.bin"), std::string(70000, 'x'));
    ScriptRun run = RunJScript(
        "var c = new ActiveXObject('VEXADNLD.VexaDnldCtrl.1');\n"
        "var file = " + JsText(Path("a.bin")) + ";\n"
        "var signature = c.GenerateFileSignature(file);\n"
        "var other = signature.replace(/.$/, signature.slice(-1) == '0' ? '1' : '0');\n"
        "WScript.Echo(signature.substr(0, 2) + signature.length + ' ' + c.VerifyFile(file, signature) + ' ' +\n"
        "             c.VerifyFile(file, other));\n"
        "WScript.Quit(0);\n");
    EXPECT_EQ(run.output, "1-90 true false\n");
    EXPECT_EQ(run.status, 0);
}

TEST_F(Script, JScriptKeepsVariablesInATextFile) {
    ScriptRun run = RunJScript(
        "var c = new ActiveXObject('VEXADNLD.VexaDnldCtrl.1');\n"
        "var file = " + JsText(Path("vars.txt")) + ";\n"
        "var put = c.PutVarInTextFile('Color', 'red', file) && c.PutVarInTextFile('Size', 'XL', file);\n"
        "WScript.Echo(put + ' ' + c.GetVarFromTextFile('COLOR', file) + ' ' + c.GetVarFromTextFile('size', file) +\n"
        "             ' [' + c.GetVarFromTextFile('Shape', file) + ']');\n"
        "WScript.Quit(0);\n");
    EXPECT_EQ(run.output, "true red XL []\n");
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace vexa::test
