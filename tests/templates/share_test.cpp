// The share directory the page wizard runs from: the files it looks for under the names it
// uses, and the loader's code-download cabinet, which must install the very control that
// lies beside it, at the version pages ask for.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "common/pe_version.hpp"
#include "loader/loader_dispatch.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kShare = VEXA_WIZARD_SHARE_DIR;

TEST(ShareDirectoryTest, HoldsTheWindowsProgramsAndTheTemplateUnderTheWizardsNames) {
    for (const char* program : {"VexaLoad.ocx", "VexaStandAloneWebProg.exe"}) {
        EXPECT_TRUE(ReadFile(kShare / program).starts_with("MZ")) << program << " is no Windows program";
    }
    EXPECT_TRUE(fs::is_regular_file(kShare / "VexaLoad.cab"));
    EXPECT_TRUE(fs::is_regular_file(kShare / "HtmlTemplates" / "Template01.htm"));
}

// section -> key -> value; every line must end in CR LF, as the system's INF reader expects.
std::map<std::string, std::map<std::string, std::string>> ReadInf(const std::string& text) {
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::string section;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.ends_with('\r')) << "a line without CR LF: " << line;
        if (line.ends_with('\r')) line.pop_back();
        if (line.empty() || line.starts_with(';')) continue;
        if (line.starts_with('[')) {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        EXPECT_NE(equals, std::string::npos) << line;
        if (equals != std::string::npos) sections[section][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return sections;
}

TEST(ShareDirectoryTest, LoaderCabinetInstallsTheControlBesideItAtItsVersion) {
    TempDir dir;
    test::ChildProcess expand({VEXA_PROGRAM, "cab", "expand", (kShare / "VexaLoad.cab").string(), dir / "out"});
    ASSERT_EQ(expand.Finish(), 0) << expand.Output();

    std::set<std::string> members;
    for (const auto& entry : fs::directory_iterator(dir.path() / "out")) members.insert(entry.path().filename());
    EXPECT_EQ(members, (std::set<std::string>{"VexaLoad.inf", "VexaLoad.ocx"}));
    const std::string control = ReadFile(kShare / "VexaLoad.ocx");
    EXPECT_TRUE(ReadFile(dir / "out/VexaLoad.ocx") == control) << "the cabinet holds another control";

    std::string version = PeFileVersion(control);
    std::erase(version, ' ');
    ASSERT_FALSE(version.empty());
    auto inf = ReadInf(ReadFile(dir / "out/VexaLoad.inf"));
    EXPECT_EQ(inf["version"]["signature"], "\"$CHICAGO$\"");
    EXPECT_EQ(inf["version"]["AdvancedINF"], "2.0");
    EXPECT_EQ(inf["Add.Code"]["VexaLoad.ocx"], "VexaLoad.ocx");
    const std::map<std::string, std::string> entry{{"file-win32-x86", "thiscab"},
                                                   {"clsid", std::string(loader::kVexaLoaderClassId)},
                                                   {"FileVersion", version},
                                                   {"RegisterServer", "yes"}};
    EXPECT_EQ(inf["VexaLoad.ocx"], entry);
}

}  // namespace
}  // namespace vexa::testing
