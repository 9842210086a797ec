// The names of the page and of the stand-alone program, checked before anything is built.

#include <filesystem>

#include "common/text.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

using namespace texts;

namespace {

struct NameRule {
    const char* box;
    std::vector<const char*> extensions;  // upper case
    std::string wrongExtension, blank, forbidden, untestable;
};

// A name that passes is tried once where it will be written, unless a file stands there.
bool CheckName(std::string& box, const std::string& target, const NameRule& rule, VexaCB& cabinet,
               std::string& refusal) {
    box = std::string(Trim(box));
    const std::string upper = ToUpperAnsi(box);
    bool extensionOk = false;
    for (const char* extension : rule.extensions) extensionOk = extensionOk || upper.ends_with(extension);
    if (!extensionOk)
        refusal = rule.wrongExtension;
    else if (box.find(' ') != std::string::npos)
        refusal = rule.blank;
    else if (box.find_first_of("\\/:*?\"<>|") != std::string::npos)
        refusal = rule.forbidden;
    if (!refusal.empty()) return false;
    std::error_code error;
    if (std::filesystem::exists(target, error)) return true;
    if (!cabinet.StringToTextFile(" ", target)) {
        refusal = rule.untestable;
        return false;
    }
    std::filesystem::remove(target, error);
    return true;
}

}  // namespace

bool VexaWebExpress::ValidateHtmlFilenameNoPath() {
    static const NameRule rule{
        "txtHtmlFilenameNoPath",
        {".HTM", ".HTML"},
        std::string(kHtmlInvalid) +
            "The resultant HTML filename must have a .htm extension or a .html extension.",
        std::string(kHtmlInvalid) + "The resultant HTML filename cannot contain spaces.",
        std::string(kHtmlInvalid) + kForbiddenCharacters,
        "Error. Cannot create the specified resultant HTML file. Make sure the specified resultant HTML filename "
        "is valid."};
    std::string refusal;
    if (CheckName(txtHtmlFilenameNoPath, HtmlFilePath, rule, VexaCB1(), refusal)) return true;
    Message(refusal);
    Focus = rule.box;
    return false;
}

bool VexaWebExpress::ValidateStandAloneExeFilename() {
    static const NameRule rule{
        "txtStandAloneExeFilenameNoPath",
        {".EXE"},
        std::string(kExeInvalid) + "The resultant stand-alone EXE filename must have an .exe extension.",
        std::string(kExeInvalid) + "The resultant stand-alone EXE filename cannot contain spaces.",
        std::string("Error. You specified an invalid filename for the resultant stand-alone exe file. ") +
            kForbiddenCharacters,
        "Error. Cannot create the specified resultant stand-alone EXE file. Make sure the specified resultant EXE "
        "filename is valid."};
    std::string refusal;
    const std::string target = ReleaseDir + std::string(Trim(txtStandAloneExeFilenameNoPath));
    if (CheckName(txtStandAloneExeFilenameNoPath, target, rule, VexaCB1(), refusal)) return true;
    Message(refusal);
    Focus = rule.box;
    return false;
}

}  // namespace vexa::wizard
