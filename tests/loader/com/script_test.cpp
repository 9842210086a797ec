#include <windows.h>

#include <cstdio>
#include <fstream>

#include "tests/loader/com/vexaload_support.hpp"

namespace vexa::test {
namespace {

// What `script` prints when the system's script host runs it.
std::string RunJScript(const std::string& script) {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "vexaload_test.js";
    std::ofstream(path) << script;
    std::string output;
    if (FILE* pipe = ::_popen(("cscript //nologo \"" + path + "\"").c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) output += line;
        ::_pclose(pipe);
    }
    ::DeleteFileA(path.c_str());
    return output;
}

using Script = VexaLoadTest;

// The script host exits 0 even when the script fails, so the printed line is the answer.
TEST_F(Script, JScriptCreatesTheControlByProgramIdAndCallsIt) {
    std::string output = RunJScript(
        "var c = new ActiveXObject('VEXALOAD.VexaLoaderCtrl.1');\n"
        "c.DefaultPara = 'p';\n"
        "WScript.Echo('Test1=' + c.Test1() + ' DefaultPara=' + c.DefaultPara + ' Cmd=[' + c.Cmd('x', 'y') + ']');\n"
        "WScript.Quit(0);\n");
    EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "Test1=true DefaultPara=p Cmd=[]");
}

}  // namespace
}  // namespace vexa::test
