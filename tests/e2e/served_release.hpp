#pragma once
// A release of the sample web page program, made by make_release.sh in the test's own
// folder and served on loopback by the fault-injecting server, which also applies its
// faults to the release's files ("/nolength/Prog1.cab").

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
    // The sample program with the files of samples/program beside it; `options` go to
    // make_release.sh ("--pieces", "3", "--arg", "http://...").
    explicit ServedRelease(const std::vector<std::string>& options = {}) {
        namespace fs = std::filesystem;
        fs::create_directories(program());
        fs::copy(VEXA_SAMPLE_PROGRAM, program());
        fs::copy(VEXA_SAMPLE_FILES, program(), fs::copy_options::recursive);
        std::vector<std::string> command{"/bin/bash", VEXA_MAKE_RELEASE, "--vexa", VEXA_PROGRAM,
                                         "--exe", fs::path(VEXA_SAMPLE_PROGRAM).filename().string()};
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), {program(), folder()});
        test::ChildProcess make(command);
        made_ = make.Finish() == 0;
        EXPECT_TRUE(made_) << make.Output();
        if (made_) server_ = std::make_unique<test::FaultHttpServer>(folder());
    }

    bool Served() const { return made_ && server_->Running(); }
    std::string folder() const { return dir_ / "release"; }
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
