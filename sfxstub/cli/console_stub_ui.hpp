#pragma once
// The stub's questions and messages on a console. Answers are lines of the input, so a
// script or a test can drive the program: an empty line or the end of the input cancels
// the folder choice, and the end of the input answers "Cancel" to an overwrite question,
// as closing that dialog does.

#include <iosfwd>

#include "sfxstub/stub_ui.hpp"

namespace vexa::sfx {

class ConsoleStubUi final : public StubUi {
public:
    // Messages with the caption "Error" go to `errors`, everything else to `out`.
    ConsoleStubUi(std::istream& in, std::ostream& out, std::ostream& errors) : in_(in), out_(out), errors_(errors) {}

    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowFiles(const std::string& caption, const std::vector<std::string>& entries) override;
    std::optional<std::string> ChooseFolder() override;
    void ShowStatus(const std::string& status) override;
    // Takes y, n, a, c or the button texts "Yes", "No", "Yes to All", "Cancel" in any
    // case, and asks again after anything else.
    OverwriteAnswer AskOverwrite(const std::string& path) override;

private:
    // A line without its end and surrounding blanks; nullopt at the end of the input.
    std::optional<std::string> ReadAnswer();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& errors_;
};

}  // namespace vexa::sfx
