// A stand-alone web program end to end: a release made by the page wizard and served on
// loopback, its stand-alone program (or one of a stub and an attachment written here), and
// `vexa load` playing it from a path and from a URL as its page would be played.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/native.hpp"
#include "signature/signature.hpp"
#include "tests/e2e/load_page.hpp"
#include "tests/e2e/served_release.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

const std::string kNext = "http://127.0.0.1/next.htm";
const std::vector<std::string> kGoesOn{"--exe-params", "\"" + kNext + "\""};

// Any bytes do for the stub, including a marker of their own.
const std::string kStub = std::string("MZ\x90\0stub WEBPROG\r\n\0\0\0", 21);

// The stub followed by the six parts, the first five each ending in CR LF.
std::string MakeStandAlone(const ServedRelease& release, const std::string& name,
                           const std::string& publication = {}) {
    const std::string cabinet = release.folder() + "/" + ServedRelease::kScriptCab;
    const std::string shortSignature = LongSigToShortSig(GenerateFileSignature(*NativeFiles(), cabinet));
    const std::string path = release.folder() + "/" + name;
    std::ofstream(path, std::ios::binary) << kStub << release.Url("/") << "\r\n2,3,0,35\r\n"
                                          << (publication.empty() ? release.Url("/") : publication)
                                          << "\r\n" << ServedRelease::kScriptCab << "\r\n"
                                          << shortSignature << "\r\nWEBPROG";
    return path;
}

using StandAloneTest = FreshMachineTest;

TEST_F(StandAloneTest, PlaysTheScriptFromThePublicationUrlByPathAndByUrl) {
    ServedRelease release(kGoesOn);
    ASSERT_TRUE(release.Served());
    const std::vector<std::string> started{"ScriptDone()", R"(CustomEvent("GOTO URL") with ")" + kNext + "\""};
    // The wizard's own, and one whose publication URL is as typed, without its final "/".
    const std::string path = MakeStandAlone(release, "MyProg.exe", release.Url(""));
    const std::string wizards = release.folder() + "/" + ServedRelease::kStandAlone;
    for (const std::string& target : {wizards, release.Url(std::string("/") + ServedRelease::kStandAlone), path,
                                      release.Url("/MyProg.exe")}) {
        SCOPED_TRACE(target);
        LoadOutcome outcome = LoadPage(target);
        EXPECT_EQ(outcome.status, 0) << outcome.messages;
        EXPECT_EQ(outcome.events, started) << outcome.messages;
    }
}

// Whatever its name, a file is told by its content.
TEST_F(StandAloneTest, FilesThatAreNoPlayableStandAloneProgramAreRefusedAsBadInput) {
    ServedRelease release;
    ASSERT_TRUE(release.Served());
    const std::string elsewhere = MakeStandAlone(release, "Elsewhere.bin", "ftp://127.0.0.1/web/");
    const struct {
        std::string target;
        std::string message;
    } cases[] = {
        {elsewhere, "attachment is refused: line 3, the publication URL \"ftp://127.0.0.1/web/\""},
        {release.Url("/Elsewhere.bin"), "attachment is refused: line 3"},
        {release.folder() + "/index.htm", "does not end with WEBPROG, so it is no stand-alone web program"},
        {release.folder() + "/Missing.exe", "not a URL, and no such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        LoadOutcome outcome = LoadPage(c.target);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_TRUE(outcome.events.empty());
        EXPECT_NE(outcome.messages.find(c.message), std::string::npos) << outcome.messages;
    }
}

// A visit of the page first keeps the script, so the stand-alone program needs no trust.
TEST_F(StandAloneTest, AScriptTrustedOnThePageIsNotAskedForAgain) {
    ServedRelease release(kGoesOn);
    ASSERT_TRUE(release.Served());
    ASSERT_EQ(LoadPage(release.PageUrl()).status, 0);
    LoadOutcome outcome = LoadPage(MakeStandAlone(release, "MyProg.exe"), {{"--trust", "no"}});
    EXPECT_EQ(outcome.status, 0) << outcome.messages;
}

}  // namespace
}  // namespace vexa::testing
