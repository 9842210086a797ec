// The script that the loader plays, written line by line as the loader expects it, with
// the component cabinets made and the program cabinets finished on the way; the script
// cabinet; and the page made from the template.

#include <filesystem>

#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "platform/files.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

using namespace texts;

namespace {

constexpr std::int32_t kScriptReserve = 6144;  // room for the certificate a signing tool adds
constexpr std::int32_t kSplitAbove = 50000;
constexpr std::int32_t kPieceSize = 25000;
constexpr std::int32_t kMostPieces = 1000;
// Four times the size is written as a 32-bit number.
constexpr std::int64_t kLargestProgramCab = 536870911;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string CommandLine(const std::string& command, const std::vector<std::string>& arguments) {
    std::string line = command;
    for (std::size_t i = 0; i < arguments.size(); ++i) line += (i ? ", " : " ") + Quoted(arguments[i]);
    return line;
}

// The title as the page's text: markup characters written as references, so that the page
// shows what was typed.
std::string PageText(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

// Pieces of 25000 bytes, at most 1000, for a cabinet above 50000 bytes; never in single-cabinet mode.
std::int32_t ProgramCabPieces(std::int64_t size, bool multiCabinetMode) {
    if (!multiCabinetMode || size <= kSplitAbove) return 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(size / kPieceSize, kMostPieces));
}

std::string VexaWebExpress::ScriptBaseName() const {
    return std::string(WithoutExtension(Trim(txtHtmlFilenameNoPath)));
}

std::string VexaWebExpress::ScriptCabPath() const { return ReleaseDir + ScriptBaseName() + "Script.Cab"; }

// The system's short date and time, as in "11/6/98 4:24:37 AM".
std::string VexaWebExpress::NowText() {
    const TimeStamp now = platform_.clock.LocalNow();
    char text[40];
    std::snprintf(text, sizeof text, "%d/%d/%02d %d:%02d:%02d %s", now.month, now.day, now.year % 100,
                  (now.hour + 11) % 12 + 1, now.minute, now.second, now.hour < 12 ? "AM" : "PM");
    return text;
}

bool VexaWebExpress::CreateScriptCabFile() {
    const std::string base = ScriptBaseName();
    const std::string apostrophes(49, '\'');
    std::string title = txtHtmlTitle.empty() ? "Installing Program" : txtHtmlTitle;
    std::vector<std::string> lines = {apostrophes,
                                      "' File Name: " + base + "Script.txt",
                                      "'",
                                      "' This file was generated automatically with the ",
                                      "' Brindell Quillforge.",
                                      "' Version: " + WizardVersionText(),
                                      "'",
                                      "'",
                                      "'",
                                      "' Created: " + NowText(),
                                      "' Created for Final Release.",
                                      apostrophes,
                                      "",
                                      "",
                                      "' Specify the default product directory.",
                                      "SetProductDirectory " + Quoted("<TempDir>"),
                                      "",
                                      "' InstallDialogTitle.",
                                      "SetInstallDialogTitle " + Quoted(title),
                                      ""};
    auto fail = [this] {
        KeepWorking = false;
        return false;
    };
    std::string prefix;
    for (int i = 0; i < lstDLL.size() + lstOCX.size(); ++i) {
        const bool isOcx = i >= lstDLL.size();
        if (i == lstDLL.size()) {
            lines.emplace_back();
            prefix = "''' ";
        }
        const std::string line = ComponentLine(isOcx ? lstOCX.entries[i - lstDLL.size()] : lstDLL.entries[i], isOcx);
        if (line.empty()) return fail();
        lines.push_back(prefix + line);
        prefix.clear();
    }
    lines.insert(lines.end(), {"", ""});
    for (std::size_t k = 0; k < ProgramCabPaths.size(); ++k) {
        std::string line;
        if (!ProgramLine(k, line)) return fail();
        lines.insert(lines.end(), {line, ""});
    }
    txtExeParas = std::string(Trim(txtExeParas));
    std::string execute = "Execute " + Quoted("<ProductDirectory>\\" + txtExeFilename);
    if (!txtExeParas.empty()) execute += ", " + txtExeParas;
    lines.insert(lines.end(), {"' Program To Execute.", execute, "", kEndOfScript});

    std::string text;
    for (const std::string& line : lines) text += line + kCrLf;
    const std::string scriptText = ReleaseDir + base + "Script.txt";
    if (!VexaDnld1().StringToTextFile(text, scriptText)) {
        Message(kCannotCreateFile + scriptText);
        return fail();
    }
    const std::string error = VexaCreateCabFromOneFile(ScriptCabPath(), scriptText, kScriptReserve);
    std::error_code ignored;
    std::filesystem::remove(scriptText, ignored);
    if (!error.empty()) {
        Message(error);
        return fail();
    }
    return true;
}

// The install line of a library or a control, its cabinet made (for the loader copied)
// on the way; empty when the build fails, its message shown.
std::string VexaWebExpress::ComponentLine(const std::string& entry, bool isOcx) {
    const std::string file = ComponentFile(entry);
    const std::string name(FileNamePart(entry));
    std::string cabinet;
    if (ToUpperAnsi(name) == ToUpperAnsi(kLoaderOcx)) {
        cabinet = ReleaseActiveXDir + kLoaderCab;
        for (const char* shipped : {kLoaderCab, kLoaderOcx}) {
            if (ReplaceFileWith(platform_.files, AppDir + shipped, ReleaseActiveXDir + shipped)) continue;
            Message(kCannotCreateFile + ReleaseActiveXDir + shipped);
            return {};
        }
    } else {
        cabinet = VexaGenerateCabFilename(file, ReleaseActiveXDir);
        const std::string error = VexaCreateCabFromOneFile(cabinet, file, 0);
        if (!error.empty()) {
            Message(error);
            return {};
        }
    }
    const std::string cabSize = std::to_string(VexaDnld1().GetFileSize(cabinet));
    const std::string size = std::to_string(VexaDnld1().GetFileSize(file));
    const std::string version = VexaDnld1().GetFileVersion(file);
    const std::string classId = isOcx ? VexaDnld1().GetControlOrDllClsId(file, true) : std::string();
    if (isOcx && classId.empty() && file != AppDir + kLoaderOcx) {
        Message(std::string("The OCX/DLL file ") + entry + " that you selected in step 5 is not registered." + kCrLf +
                    kCrLf + "Solution: " + kCrLf + "[] Go back to step 5, remove this OCX/DLL from the list." + kCrLf +
                    "[] If needed, register the OCX/DLL (e.g., use the RegSvr32 utility)." + kCrLf +
                    "[] In Step 5, add this OCX/DLL to the list.",
                "Error", MessageIcon::Error);
        return {};
    }
    const std::string signature = VexaDnld1().GenerateFileSignature(cabinet);
    if (signature.empty()) {
        Message(kCannotSignCab + cabinet);
        return {};
    }
    const std::string url = txtActiveXUrl + std::string(FileNamePart(cabinet));
    if (isOcx) return CommandLine("InstallOcxFile", {url, cabSize, name, version, classId, "0", size, signature});
    return CommandLine("InstallDllFile", {url, cabSize, name, version, "0", size, signature, ""});
}

// The install line of program cabinet k, once the cabinet is split when it must be, kept
// in this machine's cache and, when published in pieces, removed.
bool VexaWebExpress::ProgramLine(std::size_t k, std::string& line) {
    const std::string& cabinet = ProgramCabPaths[k];
    const std::string name(FileNamePart(cabinet));
    const std::int64_t size = VexaDnld1().GetFileSize(cabinet);
    if (size > kLargestProgramCab || size < 0) {
        Message("Error. The cab file " + cabinet + " is too large: a program cab file must be smaller than " +
                std::to_string(kLargestProgramCab + 1) + " bytes.");
        return false;
    }
    const std::int32_t pieces = ProgramCabPieces(size, chkCreateMultiProgramCabs);
    if (pieces > 0) {
        AppendProgress("Splitting " + name);
        const std::string error = VexaCB1().SplitFile(cabinet, pieces);
        if (!error.empty()) {
            Message("Error. " + error);
            return false;
        }
    }
    const std::string signature = VexaDnld1().GenerateFileSignature(cabinet);
    if (signature.empty()) {
        Message(kCannotSignCab + cabinet);
        return false;
    }
    const std::string shortSignature = VexaDnld1().Cmd("LongSigToShortSig", signature);
    ReplaceFileWith(platform_.files, cabinet, DownloadedProgramsCacheDir + shortSignature + ".cab");
    const std::string stamp = VexaDnld1().GetFileLastModifTime(cabinet);
    if (pieces > 1) {
        std::error_code ignored;
        std::filesystem::remove(cabinet, ignored);
    }
    const std::string subDirectory = chkCreateMultiProgramCabs ? ProgramCabSubDirs[k] : std::string();
    line = CommandLine("InstallProgram", {name, std::to_string(size), stamp, std::to_string(pieces),
                                          std::to_string(size * 4), signature, subDirectory});
    return true;
}

bool VexaWebExpress::MakeHTMLFile(const std::string& htmlPath) {
    const std::string templatePath = AppDir + kTemplateFolder + kNativeSeparator + kTemplate;
    std::optional<std::string> page = ReadTextFile(platform_.files, templatePath);
    if (!page) {
        Message("Error. Cannot read file: " + templatePath);
        return false;
    }
    const std::pair<const char*, std::string> values[] = {
        {"VEXA_GENERATED_TIME", NowText()},
        {"VEXA_SCRIPT_FILENAME", ScriptBaseName() + "Script.Cab"},
        {"VEXA_HTML_TITLE", PageText(txtHtmlTitle)},
        {"VEXA_LOAD_OCX_URL", WithFinalSlash(Trim(txtActiveXUrl)) + kLoaderCab},
        {"VEXA_LOAD_OCX_VERSION", VexaDnld1().GetFileVersion(AppDir + kLoaderOcx)},
        {"VEXA_STAND_ALONE_EXE_NAME", txtStandAloneExeFilenameNoPath},
        {"VEXA_WIZARD_VERSION", WizardVersionText()},
    };
    for (const auto& [placeholder, value] : values) *page = VexaCB1().ReplaceStringAllOccurrences(*page, placeholder, value);
    if (VexaDnld1().StringToTextFile(*page, htmlPath)) return true;
    Message(kCannotCreateFile + htmlPath);
    return false;
}

}  // namespace vexa::wizard
