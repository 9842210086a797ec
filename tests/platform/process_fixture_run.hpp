#pragma once
// One run of the process fixture (process_fixture.cpp) through the process port: started
// in a folder of the test's, its report read back, and terminated and released at the end.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/processes.hpp"

namespace vexa::test {

// A program's first start under Wine may take seconds.
constexpr std::uint32_t kPatienceMs = 30000;

inline bool WaitUntil(const std::function<bool()>& ready) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ready();
}

inline std::vector<std::string> ReportLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class FixtureRun {
public:
    FixtureRun(Processes& processes, std::filesystem::path folder)
        : processes_(processes), folder_(std::move(folder)), report_(folder_ / "report.txt") {
        std::filesystem::create_directories(folder_);
    }
    ~FixtureRun() {
        if (!started_) return;
        processes_.Terminate(started_->process);
        processes_.Release(started_->process);
    }
    FixtureRun(const FixtureRun&) = delete;
    FixtureRun& operator=(const FixtureRun&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }

    // A copy of the fixture in a sub-folder of this run's folder.
    std::string CopyOfFixture(const std::string& subFolder) const {
        std::filesystem::path copy = folder_ / subFolder / std::filesystem::path(VEXA_PROCESS_FIXTURE).filename();
        std::filesystem::create_directories(copy.parent_path());
        std::filesystem::copy_file(VEXA_PROCESS_FIXTURE, copy);
        return copy.string();
    }

    // `arguments` follow the report's path and the mode on the command line.
    bool Start(const std::string& mode, const std::string& arguments, const std::string& workingDirectory = {},
               const std::string& program = VEXA_PROCESS_FIXTURE) {
        std::string text = "\"" + report_.string() + "\" \"" + mode + "\"";
        if (!arguments.empty()) text += " " + arguments;
        started_ = processes_.Start(program, text, workingDirectory, WindowShow::Normal);
        return started_ && started_->process != 0;
    }
    ProcessHandle Process() const { return started_->process; }
    std::uint32_t Thread() const { return started_->thread; }

    bool WaitForExit() { return processes_.WaitForExit(Process(), kPatienceMs); }
    bool WaitForReport() const {
        return WaitUntil([&] { return std::filesystem::exists(report_); });
    }
    std::string WorkingDirectory() const {
        std::vector<std::string> lines = ReportLines(report_);
        return lines.empty() ? std::string() : lines.front();
    }
    std::vector<std::string> Arguments() const {
        std::vector<std::string> lines = ReportLines(report_);
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }

private:
    Processes& processes_;
    std::filesystem::path folder_;
    std::filesystem::path report_;
    std::optional<StartedProcess> started_;
};

}  // namespace vexa::test
