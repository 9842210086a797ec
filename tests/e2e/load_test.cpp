// The loader end to end: a release made by the page wizard, served on loopback, played by
// `vexa load` in a fresh prefix, with the sample program started from it.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/e2e/load_page.hpp"
#include "tests/e2e/served_release.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

const std::string kNext = "http://127.0.0.1/next.htm";
// The program's parameters on the script's Execute line: it goes on to kNext once it runs.
const std::vector<std::string> kGoesOn{"--exe-params", "\"" + kNext + "\""};
const std::vector<std::string> kStarted{"ScriptDone()", R"(CustomEvent("GOTO URL") with ")" + kNext + "\""};
const std::vector<std::string> kFailed{R"(ScriptError(0, ""))"};

fs::path LoaderTemp() {
    return fs::path(std::getenv("VEXA_PREFIX")) / "windows" / "Temporary VexaWeb Files" / "Temp";
}

std::size_t Entries(const fs::path& folder, const std::string& prefix) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        count += entry.path().filename().string().starts_with(prefix);
    return count;
}

using LoadTest = FreshMachineTest;

TEST_F(LoadTest, FirstVisitAsksForTrustTheSecondNeitherAsksNorDownloads) {
    ServedRelease release(kGoesOn);
    ASSERT_TRUE(release.Served());

    LoadOutcome refused = LoadPage(release.PageUrl(), {{"--trust", "ask"}, "n\n"});
    EXPECT_EQ(refused.events, kFailed);
    EXPECT_NE(refused.messages.find("Security Warning"), std::string::npos) << refused.messages;
    EXPECT_NE(refused.messages.find("User rejected script certificate."), std::string::npos);
    EXPECT_EQ(refused.status, 1);

    LoadOutcome first = LoadPage(release.PageUrl(), {{"--trust", "ask"}, "y\n"});
    EXPECT_EQ(first.status, 0) << first.messages;
    EXPECT_EQ(first.events, kStarted) << first.messages;
    EXPECT_EQ(Entries(LoaderTemp(), "~pr"), 0u) << "the product directory goes with the program";

    // Nothing is fetched again: the program cabinet may even be gone from the server.
    fs::remove(fs::path(release.folder()) / "Prog1.cab");
    LoadOutcome second = LoadPage(release.PageUrl(), {{"--trust", "no"}});
    EXPECT_EQ(second.status, 0) << second.messages;
    EXPECT_EQ(second.events, kStarted) << second.messages;
}

// The author signs the script cabinet with osslsigncode through the wizard's sign-code
// commands (the README's); the signature verifies, and the visitor's loader plays it.
TEST_F(LoadTest, AScriptCabinetSignedByTheSignCodeCommandsVerifiesAndPlays) {
    // The author's keys; the release's own folder is made afresh below.
    const fs::path keys = fs::path(std::getenv("VEXA_PREFIX")) / "keys";
    fs::create_directories(keys);
    test::ChildProcess certificate({"/bin/sh", "-c",
                                    "cd '" + keys.string() +
                                        "' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                                        "'/CN=VexaWeb test publisher' -addext extendedKeyUsage=codeSigning "
                                        "-keyout key.pem -out cert.pem && openssl pkcs12 -export -inkey key.pem "
                                        "-in cert.pem -passout pass:secret -out cert.p12"});
    ASSERT_EQ(certificate.Finish(), 0) << certificate.Output();
    std::vector<std::string> options = kGoesOn;
    options.insert(options.end(), {"--title", "The Hello Page", "--sign-code",
                                   "/usr/bin/osslsigncode sign -pkcs12 " + (keys / "cert.p12").string() +
                                       " -pass secret -n \"%2\" -in \"%1\" -out \"%1.signed\"",
                                   "--sign-code", "/bin/mv -f \"%1.signed\" \"%1\""});
    ServedRelease release(options);
    ASSERT_TRUE(release.Served());
    const std::string cabinet = release.folder() + "/" + ServedRelease::kScriptCab;
    test::ChildProcess verify({"/usr/bin/osslsigncode", "verify", "-CAfile", (keys / "cert.pem").string(), "-in", cabinet});
    EXPECT_EQ(verify.Finish(), 0) << verify.Output();
    EXPECT_NE(verify.Output().find("Signature verification: ok"), std::string::npos) << verify.Output();

    for (const std::string& played : {release.PageUrl(), release.Url(std::string("/") + ServedRelease::kStandAlone)}) {
        LoadOutcome outcome = LoadPage(played);
        EXPECT_EQ(outcome.status, 0) << outcome.messages;
        EXPECT_EQ(outcome.events, kStarted) << outcome.messages;
    }
}

TEST_F(LoadTest, SplitCabinetFetchesOnlyTheFirstPieceWhenTheOthersAreThere) {
    // One cabinet per file: the program's own is large enough to be published in pieces.
    std::vector<std::string> options = kGoesOn;
    options.push_back("--multi-cab");
    ServedRelease release(options);
    ASSERT_TRUE(release.Served());
    ASSERT_EQ(LoadPage(release.PageUrl()).events, kStarted);
    // The pieces were joined and deleted; put all but the first back where a broken earlier
    // visit would have left them, and take them off the server.
    fs::path pieces;
    for (const auto& entry : fs::directory_iterator(LoaderTemp()))
        if (entry.path().filename().string().starts_with("~us")) pieces = entry.path();
    ASSERT_FALSE(pieces.empty());
    std::size_t moved = 0;
    for (const auto& entry : fs::directory_iterator(release.folder())) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("helloEXE.cab") || name == "helloEXE.cab1") continue;
        fs::rename(entry.path(), pieces / name);
        ++moved;
    }
    ASSERT_GE(moved, 2u);
    // A fresh cache, so the cabinet must come from its pieces again.
    fs::remove_all(LoaderTemp().parent_path() / "Downloaded Programs");
    LoadOutcome outcome = LoadPage(release.PageUrl());
    EXPECT_EQ(outcome.status, 0) << outcome.messages;
    EXPECT_EQ(outcome.events, kStarted) << outcome.messages;
}

struct FailingRelease {
    std::string name;
    std::vector<std::string> faults;
    std::string message;  // shown in the error window
};

void PrintTo(const FailingRelease& release, std::ostream* out) { *out << release.name; }

class FailingReleaseTest : public LoadTest, public ::testing::WithParamInterface<FailingRelease> {};

TEST_P(FailingReleaseTest, EndsWithScriptErrorAndItsMessage) {
    ServedRelease release({}, GetParam().faults);
    ASSERT_TRUE(release.Served());
    LoadOutcome outcome = LoadPage(release.PageUrl());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.events, kFailed) << outcome.messages;
    EXPECT_NE(outcome.messages.find(GetParam().message), std::string::npos) << outcome.messages;
}

INSTANTIATE_TEST_SUITE_P(
    Load, FailingReleaseTest,
    ::testing::Values(
        FailingRelease{"signature", {"--bad-signature"}, "Signature of downloaded file does not match script specs."},
        FailingRelease{"no_length", {"--via", "nolength/"}, "Download Error! Make sure you are connected"},
        FailingRelease{"not_found", {"--via", "status/404/"}, "Cannot download file: "},
        FailingRelease{"sub_directory", {"--subdir", "..\\..\\out\\"},
                       "Invalid sub-directory specified in script. Sub-directory: ..\\..\\out\\"},
        FailingRelease{"sub_directory_drive", {"--subdir", "C:out\\"},
                       "Invalid sub-directory specified in script. Sub-directory: C:out\\"},
        FailingRelease{"sub_directory_root", {"--subdir", "/out\\"},
                       "Invalid sub-directory specified in script. Sub-directory: /out\\"},
        FailingRelease{"sub_directory_root_after_the_dropped_separator", {"--subdir", "\\\\out\\"},
                       "Invalid sub-directory specified in script. Sub-directory: \\out\\"},
        FailingRelease{"sub_directory_unc", {"--subdir", "\\\\server\\share\\"},
                       "Invalid sub-directory specified in script. Sub-directory: \\server\\share\\"}),
    [](const auto& param) { return param.param.name; });

TEST_F(LoadTest, AStalledTransferIsAskedForAgain) {
    ServedRelease release(kGoesOn, {"--via", "stallonce/4096/"});
    ASSERT_TRUE(release.Served());
    LoadOutcome outcome = LoadPage(release.PageUrl(), {{"--trust", "yes", "--stall-seconds", "2"}});
    EXPECT_EQ(outcome.status, 0) << outcome.messages;
    EXPECT_EQ(outcome.events, kStarted);
    EXPECT_NE(outcome.messages.find("Lost connection to server. Now trying to reconnect"), std::string::npos)
        << outcome.messages;
}

TEST_F(LoadTest, CtrlCCancelsTheRunAndRemovesTheProductDirectory) {
    ServedRelease release({}, {"--via", "stall/4096/"});
    ASSERT_TRUE(release.Served());
    LoadOptions options;
    options.interruptWhenStalled = true;
    LoadOutcome outcome = LoadPage(release.PageUrl(), options);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.events, kFailed) << outcome.messages;
    EXPECT_EQ(Entries(LoaderTemp(), "~pr"), 0u);
}

// A closed terminal or a polite kill ends a visit as Ctrl-C does, also while the program
// runs: here one the control manages, started again whenever it ends.
TEST_F(LoadTest, StopSignalsCloseTheScriptAndRemoveTheProductDirectory) {
    ServedRelease release(kGoesOn);
    ASSERT_TRUE(release.Served());
    for (int stop : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(stop);
        LoadOptions options;
        options.arguments.insert(options.arguments.end(), {"--execute-type", "0"});
        options.stopSignal = stop;
        LoadOutcome outcome = LoadPage(release.PageUrl(), options);
        EXPECT_EQ(outcome.status, 1) << outcome.messages;
        ASSERT_FALSE(outcome.events.empty());
        EXPECT_EQ(outcome.events.front(), "ScriptDone()") << outcome.messages;
        EXPECT_EQ(Entries(LoaderTemp(), "~pr"), 0u);
    }
}

// A fifo nobody writes to: reading it would wait for ever.
std::string Fifo() {
    fs::path fifo = fs::path(std::getenv("VEXA_PREFIX")) / "page.fifo";
    ::mkfifo(fifo.c_str(), 0600);
    return fifo.string();
}

// Pages that cannot be played are refused as bad input, and no page, however hostile,
// brings the loader down: a value of 100 KB once overflowed the reader's stack.
TEST_F(LoadTest, PagesItCannotPlayAreRefusedAndNoneCrashesIt) {
    const std::string object = "<object classid=\"clsid:5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15\"></object>";
    const std::string huge(100'000, 'x');
    const struct {
        std::string name;
        std::string html;  // empty: the page is the URL itself
        std::string url;
        int status;
        std::string message;
    } cases[] = {
        {"no_loader", "<script>RunScript('Script.Cab')</script>", "", 2, "does not embed the loader control"},
        {"no_script", object, "", 2, "names no script (RunScript)"},
        {"too_large", object + std::string((16 << 20) + 1, ' ') + "RunScript('Script.Cab')", "", 2,
         "the page is larger than 16 MiB"},
        {"long_script_name", object + "RunScript('" + huge + "')", "", 1, "Cab expansion error."},
        {"long_default_url", object + "<param name='DefaultURL' value='" + huge + "'>RunScript('Gone.Cab')", "", 1,
         "Cab expansion error."},
        {"unsupported_scheme", "", "ftp://127.0.0.1/index.htm", 2, "is not one of http, https, file"},
        {"not_a_url", "", "index.htm", 2, "not a URL"},
        // Neither holds the loader up nor fills its memory.
        {"a_device", "", "file:///dev/zero", 2, "the fetched page cannot be read"},
        {"a_fifo", "", "file://" + Fifo(), 2, "the fetched page cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string url = c.url;
        if (url.empty()) {
            fs::path page = fs::path(std::getenv("VEXA_PREFIX")) / "pages" / (c.name + ".htm");
            fs::create_directories(page.parent_path());
            std::ofstream(page, std::ios::binary) << c.html;
            url = "file://" + page.string();
        }
        LoadOutcome outcome = LoadPage(url);
        EXPECT_EQ(outcome.status, c.status) << outcome.messages;
        EXPECT_NE(outcome.messages.find(c.message), std::string::npos) << outcome.messages.substr(0, 2000);
    }
}

// A failed download names its cause on the line after the loader's text.
TEST_F(LoadTest, AFailedDownloadNamesItsCause) {
    ServedRelease release({}, {"--via", "status/404/"});
    ASSERT_TRUE(release.Served());
    LoadOutcome outcome = LoadPage(release.PageUrl());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.messages.find("Cannot download file: " + release.Url("/status/404/Prog1.cab") + "\ncause: HTTP 404\n"),
              std::string::npos)
        << outcome.messages;
}

// A library whose file cannot be replaced now (a folder stands in its place) waits for the
// restart: the run asks for it, the program does not start, and `vexa restart` knows.
TEST_F(LoadTest, LibraryInUseEndsWithTheRebootQuestionAndNoProgram) {
    fs::path library = fs::path(std::getenv("VEXA_PREFIX")) / "library" / "Shared.dll";
    fs::create_directories(library.parent_path());
    std::ofstream(library) << "a shared library";
    std::vector<std::string> options = kGoesOn;
    options.insert(options.end(), {"--dll", library.string()});
    ServedRelease release(options);
    ASSERT_TRUE(release.Served());
    fs::create_directories(fs::path(std::getenv("VEXA_PREFIX")) / "windows" / "system32" / "Shared.dll");

    LoadOutcome outcome = LoadPage(release.PageUrl(), {{"--trust", "yes"}, "n\n"});
    EXPECT_NE(outcome.messages.find("you must re-boot your computer"), std::string::npos) << outcome.messages;
    EXPECT_EQ(outcome.events, std::vector<std::string>{});
    EXPECT_EQ(outcome.status, 1);

    test::ChildProcess pending({VEXA_PROGRAM, "restart"});
    EXPECT_EQ(pending.Finish(), 0);
    EXPECT_NE(pending.Output().find("Shared.dll"), std::string::npos) << pending.Output();
}

// The loader reached through `vexa call`, one method at a time: a RunScript call plays
// the run until it has ended.
TEST_F(LoadTest, VexaCallReachesTheLoaderControl) {
    ServedRelease release;
    ASSERT_TRUE(release.Served());
    auto call = [](const std::vector<std::string>& arguments) {
        std::vector<std::string> command{VEXA_PROGRAM, "call", "VEXALOAD.VexaLoaderCtrl.1"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        test::ChildProcess process(command, {}, "/dev/null");
        process.Finish();
        return process.Output();
    };
    EXPECT_EQ(call({"Test1"}), "true\n");
    EXPECT_EQ(call({"RunScript", release.Url("/status/404/Script.Cab")}), "true\nScriptError(0, \"\")\n");
}

// The loader control's window, as the product directory of the run tells its programs.
std::string ControlWindowOfTheRun() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(LoaderTemp(), error)) {
        std::ifstream file(entry.path() / "~OcxHWnd.txt");
        if (std::string handle; entry.path().filename().string().starts_with("~pr") && file >> handle) return handle;
    }
    return {};
}

// A page's download control, in a process of its own, sends the loader control of a running
// visit custom events, as the programs the loader starts do; the text survives the sender.
TEST_F(LoadTest, CustomEventsFromTheDownloadControlReachTheLoaderOfAnotherProcess) {
    ServedRelease release(kGoesOn);
    ASSERT_TRUE(release.Served());
    test::ChildProcess load({VEXA_PROGRAM, "load", release.PageUrl(), "--trust", "yes", "--execute-type", "0"}, {},
                            "/dev/null");
    ASSERT_TRUE(load.ReadUntil("ScriptDone()\n")) << load.Output();
    const std::string window = ControlWindowOfTheRun();
    ASSERT_FALSE(window.empty());

    test::ChildProcess call({VEXA_PROGRAM, "call", "VEXADNLD.VexaDnldCtrl.1", "GenerateCustomEvent", window,
                             "GOTO URL?http://127.0.0.1/from-download.htm", "--", "GenerateCustomEvent", window,
                             "previous page"},
                            {}, "/dev/null");
    EXPECT_EQ(call.Finish(), 0);
    EXPECT_EQ(call.Output(), "true\ntrue\n");
    EXPECT_TRUE(load.ReadUntil(R"(CustomEvent("GOTO URL") with "http://127.0.0.1/from-download.htm")"))
        << load.Output();
    EXPECT_TRUE(load.ReadUntil(R"(CustomEvent("PREVIOUS PAGE") with "")")) << load.Output();
    load.Signal(SIGTERM);
    load.Finish();
}

}  // namespace
}  // namespace vexa::testing
