#pragma once
// A release of the sample web page program, made by `vexa wizard build` on an author's
// machine of its own and published on the fault-injecting server as the wizard tells its
// author: the Release directory at the site's root, ReleaseActiveX under /ActiveX/. The
// server also applies its faults to the release's files ("/nolength/Prog1.cab"), and
// fault_release.sh spoils the script for the cases that need a faulty one.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.hpp"
#include "tests/support/fault_http_server.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {

class ServedRelease {
public:
    // The program "hello.exe" with the files of samples/program beside it. `options` go to
    // `vexa wizard build` ("--exe-params", "\"http://...\"", "--dll", FILE; one program
    // cabinet, Prog1.cab, unless "--multi-cab"); `faults` to fault_release.sh
    // ("--bad-signature", "--via", "nolength/").
    explicit ServedRelease(const std::vector<std::string>& options = {}, const std::vector<std::string>& faults = {}) {
        namespace fs = std::filesystem;
        fs::create_directories(program());
        fs::copy(VEXA_SAMPLE_PROGRAM, program() + "/hello.exe");
        fs::copy(VEXA_SAMPLE_FILES, program(), fs::copy_options::recursive);
        fs::create_directories(folder() + "/ActiveX");
        // The wizard keeps its global defaults beside itself: a directory of its own, linked.
        fs::copy(VEXA_WIZARD_SHARE_DIR, dir_ / "wizard", fs::copy_options::recursive | fs::copy_options::create_hard_links);
        server_ = std::make_unique<test::FaultHttpServer>(folder());
        if (!server_->Running()) {
            ADD_FAILURE() << "the server did not start";
            return;
        }

        const std::string site = Url("/");
        std::vector<std::string> build{VEXA_PROGRAM, "wizard", "build", program(), "--wizard-dir", dir_ / "wizard",
                                       "--yes", "--web-site", site, "--publication-url", site, "--activex-url",
                                       site + "ActiveX/", "--page", "index.htm"};
        if (std::find(options.begin(), options.end(), "--multi-cab") == options.end()) build.push_back("--single-cab");
        build.insert(build.end(), options.begin(), options.end());
        // The author's machine is not the visitor's: the scripts it accepted stay there.
        test::ChildProcess wizard(build, {"VEXA_PREFIX=" + (dir_ / "author")});
        if (wizard.Finish() != 0) {
            ADD_FAILURE() << wizard.Output();
            return;
        }
        const fs::path project = fs::path(program()) / "VexaWizardWebExpressProject";
        fs::copy(project / "Release", folder(), fs::copy_options::recursive);
        fs::copy(project / "ReleaseActiveX", folder() + "/ActiveX", fs::copy_options::recursive);
        if (!faults.empty()) {
            std::vector<std::string> spoil{"/bin/bash", VEXA_FAULT_RELEASE, "--vexa", VEXA_PROGRAM};
            spoil.insert(spoil.end(), faults.begin(), faults.end());
            spoil.push_back(folder() + "/" + kScriptCab);
            test::ChildProcess fault(spoil);
            if (fault.Finish() != 0) {
                ADD_FAILURE() << fault.Output();
                return;
            }
        }
        made_ = true;
    }

    static constexpr const char* kScriptCab = "indexScript.Cab";
    static constexpr const char* kStandAlone = "helloWebProg.exe";

    bool Served() const { return made_ && server_->Running(); }
    std::string folder() const { return dir_ / "site"; }
    // The address of a file of the release, or of any path of the server.
    std::string Url(const std::string& path) const { return server_->Url(path); }
    std::string PageUrl() const { return Url("/index.htm"); }

private:
    std::string program() const { return dir_ / "program"; }

    TempDir dir_;
    bool made_ = false;
    std::unique_ptr<test::FaultHttpServer> server_;
};

}  // namespace vexa::testing
