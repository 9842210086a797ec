#include "sfxstub/cli/console_stub_ui.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace vexa::sfx {
namespace {

TEST(ConsoleStubUi, ReadsOverwriteAnswersAsLettersOrButtonTexts) {
    using enum OverwriteAnswer;
    const struct {
        const char* input;
        OverwriteAnswer answer;
        std::size_t asked;
    } cases[] = {
        {"y\n", Yes, 1},
        {"No\n", No, 1},
        {"  yes TO all \r\n", YesToAll, 1},
        {"C", Cancel, 1},
        {"maybe\n\nA\n", YesToAll, 3},  // asked again after anything else
        {"", Cancel, 1},                // the end of input closes the question
        {"what\n", Cancel, 2},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out, errors;
        ConsoleStubUi ui(in, out, errors);
        EXPECT_EQ(ui.AskOverwrite("/out/a.txt"), c.answer) << c.input;
        std::string said = out.str();
        EXPECT_NE(said.find("The following file already exists:\n  /out/a.txt\n"), std::string::npos) << said;
        std::size_t asked = 0;
        for (auto at = said.find("Overwrite existing file?"); at != std::string::npos;
             at = said.find("Overwrite existing file?", at + 1)) {
            ++asked;
        }
        EXPECT_EQ(asked, c.asked) << c.input;
    }
}

TEST(ConsoleStubUi, AnEmptyAnswerOrTheEndOfInputCancelsTheFolderChoice) {
    const struct {
        const char* input;
        std::optional<std::string> folder;
    } cases[] = {{"out dir \n", "out dir"}, {"\n/tmp/x\n", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out, errors;
        EXPECT_EQ(ConsoleStubUi(in, out, errors).ChooseFolder(), c.folder) << c.input;
        EXPECT_EQ(out.str().rfind("Select the directory where you want to expand the Cab file:", 0), 0u);
    }
}

}  // namespace
}  // namespace vexa::sfx
