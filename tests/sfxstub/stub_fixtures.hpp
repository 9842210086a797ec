#pragma once
// Fixtures for the stub's core: real files whose temporary files land in the test's
// folder (with the failures a test asks for), a user interface that answers from a
// script and records what it was shown, and cabinets with stored attributes.

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sfxstub/stub_ui.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/forwarding_files.hpp"
#include "tests/support/system_files.hpp"


namespace vexa::sfx {

class TestFiles final : public testing::ForwardingFiles {
public:
    explicit TestFiles(std::filesystem::path tempFolder)
        : ForwardingFiles(testing::SystemFiles()), tempFolder_(std::move(tempFolder)) {}

    bool refuseTemp = false;
    std::optional<std::uint64_t> shortReadsFrom;  // reads of any file deliver nothing from here on
    std::vector<std::string> temps;               // every temporary file made, in order

    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override {
        auto file = real_.OpenShared(path);
        if (!file || !shortReadsFrom) return file;
        return std::make_unique<testing::ShortReads>(std::move(file), *shortReadsFrom);
    }
    std::optional<std::string> CreateTempFile(const std::string& prefix) override {
        if (refuseTemp) return std::nullopt;
        temps.push_back((tempFolder_ / (prefix + std::to_string(temps.size()))).string());
        std::ofstream{temps.back()};
        return temps.back();
    }

    // Temporary files still on disk.
    std::size_t TempsLeft() const {
        std::size_t left = 0;
        for (const auto& temp : temps) left += std::filesystem::exists(temp);
        return left;
    }

private:
    std::filesystem::path tempFolder_;
};

struct Message {
    std::string text;
    std::string caption;
    bool operator==(const Message&) const = default;
};

class ScriptedUi final : public StubUi {
public:
    std::deque<std::string> folders;  // chosen in turn; then the choice is cancelled
    std::deque<OverwriteAnswer> answers;  // given in turn; then the dialog is closed
    std::function<void()> onQuestion;     // runs when a question is asked

    std::string caption;
    std::vector<std::string> shownFiles;
    std::vector<std::string> statuses;
    std::vector<std::string> questions;  // the paths asked about
    std::vector<Message> messages;

    void ShowMessage(const std::string& text, const std::string& messageCaption) override {
        messages.push_back({text, messageCaption});
    }
    void ShowFiles(const std::string& windowCaption, const std::vector<std::string>& entries) override {
        caption = windowCaption;
        shownFiles = entries;
    }
    std::optional<std::string> ChooseFolder() override { return Next(folders); }
    void ShowStatus(const std::string& status) override { statuses.push_back(status); }
    OverwriteAnswer AskOverwrite(const std::string& path) override {
        questions.push_back(path);
        if (onQuestion) onQuestion();
        return Next(answers).value_or(OverwriteAnswer::Cancel);
    }

private:
    template <typename T>
    static std::optional<T> Next(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T next = queue.front();
        queue.pop_front();
        return next;
    }
};

using test::CabinetOf;
using test::Member;

}  // namespace vexa::sfx
