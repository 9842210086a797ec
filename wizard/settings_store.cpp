// The project's settings: the answers of every step as small text files in the project
// directory inside the program directory, and three of them beside the wizard as the
// defaults of programs converted for the first time.

#include "common/format_path.hpp"
#include "common/text.hpp"
#include "platform/files.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

namespace {

constexpr const char* kProgramFiles = "ProgramFiles.txt";
constexpr const char* kExeFilename = "ExeFilename.txt";
constexpr const char* kOcxFiles = "OcxFiles.txt";
constexpr const char* kDllFiles = "DllFiles.txt";
constexpr const char* kActiveXUrl = "ActiveXUrl.txt";
constexpr const char* kHtmlFilenameNoPath = "HtmlFilenameNoPath.txt";
constexpr const char* kHtmlTitle = "HtmlTitle.txt";
constexpr const char* kCreateMultiProgramCabs = "CreateMultiProgramCabs.txt";
constexpr const char* kSignCodeCommands = "SignCodeCommands.txt";
constexpr const char* kStandAloneExeFilenameNoPath = "StandAloneExeFilenameNoPath.txt";
constexpr const char* kWebSiteURL = "WebSiteURL.txt";
constexpr const char* kPublicationURL = "PublicationURL.txt";
constexpr const char* kExeParas = "ExeParas.txt";

std::string Folder(const std::string& parent, const char* name) { return parent + name + kNativeSeparator; }

std::string ListText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + texts::kCrLf;
    return text;
}

void Fill(ListBox<std::string>& list, std::vector<std::string> lines) {
    list.clear();
    list.entries = std::move(lines);
    if (!list.entries.empty()) list.selected = 0;
}

}  // namespace

void VexaWebExpress::ComputeDirectories(const std::string& directory) {
    ProjectDir = Folder(directory, texts::kProjectFolder);
    ProjectFilesDir = Folder(ProjectDir, "ProjectFiles");
    ReleaseDir = Folder(ProjectDir, "Release");
    ReleaseActiveXDir = Folder(ProjectDir, "ReleaseActiveX");
    const std::string cache = Folder(VexaDnld1().GetWinDir(), "Temporary VexaWeb Files");
    InstalledScriptsCacheDir = Folder(cache, "Installed Scripts");
    DownloadedProgramsCacheDir = Folder(cache, "Downloaded Programs");
}

std::string VexaWebExpress::ProjectFile(const char* name) const { return ProjectFilesDir + name; }

std::string VexaWebExpress::ReadSetting(const std::string& path) { return VexaDnld1().TextFileToString(path); }

// A line ends at CR LF, CR or LF; a file that cannot be read has no lines.
std::vector<std::string> VexaWebExpress::ReadTextFileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text = ReadTextFile(platform_.files, path).value_or("");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

void VexaWebExpress::LoadStepSettingsFromProjectDirectory() {
    auto withDefault = [this](const char* name) {
        std::string text = ReadSetting(ProjectFile(name));
        return Trim(text).empty() ? ReadSetting(AppDir + name) : text;
    };
    Fill(lstOCX, ReadTextFileLines(ProjectFile(kOcxFiles)));
    Fill(lstDLL, ReadTextFileLines(ProjectFile(kDllFiles)));
    txtExeFilename = ReadSetting(ProjectFile(kExeFilename));
    txtActiveXUrl = withDefault(kActiveXUrl);
    txtSignCodeCommands = withDefault(kSignCodeCommands);
    txtHtmlFilenameNoPath = ReadSetting(ProjectFile(kHtmlFilenameNoPath));
    txtHtmlTitle = ReadSetting(ProjectFile(kHtmlTitle));
    const std::string multi = ProjectFile(kCreateMultiProgramCabs);
    chkCreateMultiProgramCabs = !VexaCB1().IsFile(multi) || ReadLeadingNumber(ReadSetting(multi)) != 0;
    txtStandAloneExeFilenameNoPath = ReadSetting(ProjectFile(kStandAloneExeFilenameNoPath));
    txtWebSiteURL = withDefault(kWebSiteURL);
    txtPublicationURL = ReadSetting(ProjectFile(kPublicationURL));
    txtExeParas = ReadSetting(ProjectFile(kExeParas));
}

void VexaWebExpress::SaveStepSettingsToProjectDirectory() {
    std::vector<std::string> programFiles;
    for (const CheckedEntry& entry : List1.entries)
        if (entry.checked) programFiles.push_back(entry.text);
    const std::pair<const char*, std::string> settings[] = {
        {kProgramFiles, ListText(programFiles)},
        {kExeFilename, txtExeFilename},
        {kOcxFiles, ListText(lstOCX.entries)},
        {kDllFiles, ListText(lstDLL.entries)},
        {kActiveXUrl, txtActiveXUrl},
        {kHtmlFilenameNoPath, txtHtmlFilenameNoPath},
        {kHtmlTitle, txtHtmlTitle},
        {kCreateMultiProgramCabs, chkCreateMultiProgramCabs ? "1" : "0"},
        {kSignCodeCommands, txtSignCodeCommands},
        {kStandAloneExeFilenameNoPath, txtStandAloneExeFilenameNoPath},
        {kWebSiteURL, txtWebSiteURL},
        {kPublicationURL, txtPublicationURL},
        {kExeParas, txtExeParas},
    };
    for (const auto& [name, text] : settings) VexaDnld1().StringToTextFile(text, ProjectFile(name));
    VexaDnld1().StringToTextFile(txtActiveXUrl, AppDir + kActiveXUrl);
    VexaDnld1().StringToTextFile(txtSignCodeCommands, AppDir + kSignCodeCommands);
    VexaDnld1().StringToTextFile(txtWebSiteURL, AppDir + kWebSiteURL);
}

// The program files that the last good build took, for the listing to check again.
std::vector<std::string> VexaWebExpress::SavedProgramFiles() { return ReadTextFileLines(ProjectFile(kProgramFiles)); }

}  // namespace vexa::wizard
