// The page template as the wizard reads it from the share directory, and the page it makes
// of it by replacing the placeholders in order: the loader plays that page, and a current
// browser without ActiveX renders it as valid HTML with its fallback and the stand-alone
// program's link.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/load_page.hpp"
#include "tests/e2e/served_release.hpp"
#include "tests/support/child_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kShare = VEXA_WIZARD_SHARE_DIR;
const std::string kFallback = "Your browser does not support ActiveX based pages.";
const std::string kStandAlone = ServedRelease::kStandAlone;

std::string Template() { return ReadFile(kShare / "HtmlTemplates" / "Template01.htm"); }

TEST(PageTemplateTest, CarriesThePageContractInOrder) {
    const std::string page = Template();
    EXPECT_TRUE(page.starts_with(
        "<!DOCTYPE html>\r\n"
        "<!-- Automatically generated with the Brindell VexaWeb Express Wizard. Version: VEXA_WIZARD_VERSION -->\r\n"
        "<!-- Generated on VEXA_GENERATED_TIME -->\r\n"))
        << page.substr(0, 200);
    EXPECT_EQ(std::regex_search(page, std::regex("[^\r]\n")), false) << "every line ends in CR LF";

    // What a page must do, in the order it must do it; each piece follows the one before.
    const std::vector<std::string> pieces{
        "<title>VEXA_HTML_TITLE</title>",
        ".Test1()",
        ".DefineCustomEvent(\"GOTO URL\")",
        ".DefineCustomEvent(\"PREVIOUS PAGE\")",
        ".SetCurrentUrl(window.location.href)",
        ".RunScript(\"VEXA_SCRIPT_FILENAME\")",
        "if (LoaderWorks()) document.getElementById(\"VexaLoader1\").CloseScript()",
        "<body onload=\"StartWebProgram()\" onunload=\"EndWebProgram()\">",
        "PLEASE WAIT...",
        "<script for=\"VexaLoader1\" event=\"CustomEvent(name)\">",
        "if (name == \"GOTO URL\") window.parent.location = document.getElementById(\"VexaLoader1\").GetCustomEventPara();",
        "if (name == \"PREVIOUS PAGE\") window.history.back();",
        "<object id=\"VexaLoader1\" width=\"41\" height=\"39\"",
        "classid=\"CLSID:5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15\"",
        "codebase=\"VEXA_LOAD_OCX_URL#Version=VEXA_LOAD_OCX_VERSION\">",
        "<param name=\"_Version\" value=\"65536\">",
        "<param name=\"_ExtentX\" value=\"1085\">",
        "<param name=\"_ExtentY\" value=\"1005\">",
        "<param name=\"_StockProps\" value=\"0\">",
        kFallback,
        "</object>",
        "<hr>",
        "<a href=\"VEXA_STAND_ALONE_EXE_NAME\" download>VEXA_STAND_ALONE_EXE_NAME</a>",
    };
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        const std::size_t found = page.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << piece;
        at = found + piece.size();
    }
    // The size of the program the link offers, as it is, rounded to KBytes.
    const auto kbytes = (fs::file_size(kShare / "VexaStandAloneWebProg.exe") + 512) / 1024;
    EXPECT_NE(page.find("(approximately " + std::to_string(kbytes) + " KBytes)", at), std::string::npos);
}

// The page the wizard made of the template, as a browser with the control plays it.
TEST(PageTemplateTest, LoaderPlaysThePageTheWizardMade) {
    ServedRelease release({"--exe-params", "\"http://127.0.0.1/next.htm\""});
    ASSERT_TRUE(release.Served());
    LoadOutcome outcome = LoadPage(release.PageUrl());
    EXPECT_EQ(outcome.status, 0) << outcome.messages;
    const std::vector<std::string> started{"ScriptDone()", R"(CustomEvent("GOTO URL") with "http://127.0.0.1/next.htm")"};
    EXPECT_EQ(outcome.events, started) << outcome.messages;
}

// Chromium, headless and without ActiveX, as a reader of the page would run it; standard
// error (its log, with the page's console) goes to `log`.
std::string RunChromium(const TempDir& dir, const std::vector<std::string>& options, const std::string& log) {
    std::vector<std::string> command{"/usr/bin/timeout", "60", "chromium", "--headless", "--disable-gpu", "--no-sandbox",
                                     "--no-first-run", "--user-data-dir=" + (dir / "profile"), "--enable-logging=stderr",
                                     "--virtual-time-budget=2000"};
    command.insert(command.end(), options.begin(), options.end());
    test::ChildProcess chromium(command, {}, log);
    EXPECT_EQ(chromium.Finish(), 0) << ReadFile(log);
    return chromium.Output();
}

bool ChromiumInstalled() { return test::ChildProcess({"/bin/sh", "-c", "command -v chromium"}).Finish() == 0; }

TEST(PageTemplateTest, BrowserWithoutActiveXRendersTheFallbackAndTheStandAloneLink) {
    if (!ChromiumInstalled()) GTEST_SKIP() << "chromium is not installed (scripts/bootstrap installs it)";
    TempDir dir;
    ServedRelease release;
    ASSERT_TRUE(release.Served());
    const std::string page = ReadFile(release.folder() + "/index.htm");
    WriteFile(dir / "page.htm", page);
    test::ChildProcess check({"/usr/bin/python3", VEXA_CHECK_HTML, dir / "page.htm"});
    EXPECT_EQ(check.Finish(), 0) << check.Output();
    std::string unclosed = page;
    unclosed.erase(unclosed.find("</object>"), 9);
    WriteFile(dir / "unclosed.htm", unclosed);
    test::ChildProcess refuse({"/usr/bin/python3", VEXA_CHECK_HTML, dir / "unclosed.htm"});
    EXPECT_EQ(refuse.Finish(), 1) << "the check must refuse a page with an element left open";

    // The text the browser lays out (innerText leaves out what it does not render), kept
    // where the dump shows it; the page's own script must run without an error.
    std::string probed = page;
    probed.insert(probed.rfind("</body>"),
                  "<script>window.addEventListener('load', function () {"
                  " document.documentElement.setAttribute('data-rendered', document.body.innerText); });</script>\r\n");
    WriteFile(dir / "probed.htm", probed);
    const std::string dom = RunChromium(dir, {"--dump-dom", "file://" + (dir / "probed.htm")}, dir / "dom.log");
    std::smatch rendered;
    ASSERT_TRUE(std::regex_search(dom, rendered, std::regex("data-rendered=\"([^\"]*)\""))) << dom;
    EXPECT_NE(rendered[1].str().find("PLEASE WAIT..."), std::string::npos) << rendered[1];
    EXPECT_NE(rendered[1].str().find(kFallback), std::string::npos) << rendered[1];
    EXPECT_NE(rendered[1].str().find("save the stand-alone web program " + kStandAlone), std::string::npos) << rendered[1];
    EXPECT_TRUE(std::regex_search(dom, std::regex("<a href=\"" + kStandAlone + "\" download=\"\">" + kStandAlone + "</a>")))
        << dom;
    EXPECT_EQ(ReadFile(dir / "dom.log").find("Uncaught"), std::string::npos) << ReadFile(dir / "dom.log");

    // One picture of the page, kept with the build for a person to look at.
    const std::string screenshot = std::string(VEXA_TEST_ARTIFACTS) + "/page_in_chromium.png";
    fs::remove(screenshot);
    RunChromium(dir, {"--window-size=800,300", "--screenshot=" + screenshot, "file://" + (dir / "page.htm")},
                dir / "screenshot.log");
    EXPECT_GT(fs::exists(screenshot) ? fs::file_size(screenshot) : 0, 0u) << ReadFile(dir / "screenshot.log");
}

}  // namespace
}  // namespace vexa::testing
