#include "wizard/vexa_web_express.hpp"

#include <filesystem>

#include "cabinet/cab_dispatch.hpp"
#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "sfxstub/stub_image.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

namespace fs = std::filesystem;
using namespace texts;

namespace {

constexpr std::uint32_t kLookAgain = 50;  // ms between looks at a cabinet job that may have ended

std::string WithoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
}

bool HasAnyFile(const std::string& directory) {
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
        if (!it->is_directory(error)) return true;
    return false;
}

}  // namespace

std::string WithFinalSlash(std::string_view url) {
    std::string text(url);
    if (!text.ends_with('/')) text += '/';
    return text;
}

class VexaWebExpress::NoEvents final : public EventSink {
public:
    void Raise(const EventEntry&, const std::vector<Value>&) override {}
};

VexaWebExpress::VexaWebExpress(Platform& platform, std::string appDir, WizardVersion version)
    : AppDir(WithTrailingSeparator(appDir, kNativeSeparator)),
      platform_(platform),
      version_(version),
      vexaCB1_(std::make_unique<VexaCB>(platform, jobs_, static_cast<EventSink&>(*this), sfx::SelfExtractStub())),
      dnldEvents_(std::make_unique<NoEvents>()) {
    vexaDnld1_ = std::make_unique<download::VexaDnld>(platform, *dnldEvents_);
}

// The controls go before the jobs they share and the sink they raise events on.
VexaWebExpress::~VexaWebExpress() {
    vexaCB1_.reset();
    vexaDnld1_.reset();
}

bool VexaWebExpress::Start() {
    for (const char* needed : {kLoaderOcx, kLoaderCab}) {
        if (VexaCB1().IsFile(AppDir + needed)) continue;
        Message(std::string("Error. ") + needed + kMustReside + AppDir + " directory.");
        return false;
    }
    VexaCB1().SetCabSourceFilesToArchive(true);
    Caption = std::string(kTitle) + " - Introduction";
    CurrentStep = 0;
    enabled.cmdFinish = enabled.cmdBack = false;
    lblVersion = "Version: " + std::to_string(version_.major) + "." + std::to_string(version_.minor) + "." +
                 std::to_string(version_.revision);
    return true;
}

std::string VexaWebExpress::WizardVersionText() const {
    return std::to_string(version_.major) + "." + std::to_string(version_.minor);
}

bool VexaWebExpress::LogoShown() const { return !FrameIsFull(CurrentStep); }

void VexaWebExpress::cmdNext_Click() {
    if (CurrentStep >= kFinalStep || !LeaveStep()) return;
    ++CurrentStep;
    Caption = std::string(kTitle) + (CurrentStep == kFinalStep ? " - Final Step" : " - Step " + std::to_string(CurrentStep));
    enabled.cmdNext = false;
    enabled.cmdBack = true;
    ArriveAtStep();
}

bool VexaWebExpress::LeaveStep() {
    if (CurrentStep == 1) {
        txtWebSiteURL = std::string(Trim(txtWebSiteURL));
        if (txtWebSiteURL.empty()) {
            Message(std::string(kNoWebSite) + kExampleWebSite);
            Focus = "txtWebSiteURL";
            return false;
        }
        txtWebSiteURL = WithFinalSlash(txtWebSiteURL);
    } else if (CurrentStep == 4) {
        txtActiveXUrl = WithFinalSlash(Trim(txtActiveXUrl));
        txtPublicationURL = WithFinalSlash(Trim(txtPublicationURL));
    }
    return true;
}

void VexaWebExpress::ArriveAtStep() {
    const std::string program(FileNamePart(txtExeFilename));
    const std::string programNoExt(WithoutExtension(program));
    switch (CurrentStep) {
        case 1:
            enabled.cmdNext = !txtDirectoryName.empty();
            break;
        case 2:
            UpdateStep2Next();
            break;
        case 3: {
            List3.clear();
            int position = 0;
            for (const CheckedEntry& entry : List1.entries) {
                if (!entry.checked || !ToUpperAnsi(entry.text).ends_with(".EXE")) continue;
                if (entry.text == txtExeFilename) position = List3.size();
                List3.entries.push_back(entry.text);
            }
            if (List3.size() > 0) List3_Click(position);
            enabled.cmdNext = true;
            break;
        }
        case 4:
            enabled.cmdNext = true;
            txtActiveXUrl = std::string(Trim(txtActiveXUrl));
            txtPublicationURL = std::string(Trim(txtPublicationURL));
            if (txtActiveXUrl.empty()) txtActiveXUrl = txtWebSiteURL + "ActiveX/";
            if (txtPublicationURL.empty()) txtPublicationURL = WithoutBlanks(txtWebSiteURL + programNoExt + "/");
            break;
        case 5: {
            std::string loader = AddedEntryOfLoader();
            if (lstOCX.entries.empty())
                lstOCX.entries.push_back(loader);
            else
                lstOCX.entries[0] = loader;
            if (lstOCX.selected < 0) lstOCX.selected = 0;
            enabled.cmdRemoveOcx = lstOCX.selected != 0;
            if (!lstDLL.entries.empty() && lstDLL.selected < 0) lstDLL.selected = 0;
            enabled.cmdRemoveDll = !lstDLL.entries.empty();
            enabled.cmdNext = true;
            break;
        }
        case kFinalStep:
            if (txtHtmlTitle.empty()) txtHtmlTitle = "The " + program + " Program Page";
            if (txtHtmlFilenameNoPath.empty()) txtHtmlFilenameNoPath = WithoutBlanks(programNoExt + ".htm");
            if (Trim(txtStandAloneExeFilenameNoPath).empty())
                txtStandAloneExeFilenameNoPath = WithoutBlanks(programNoExt + "WebProg.exe");
            enabled.cmdFinish = true;
            break;
        default:
            break;
    }
}

void VexaWebExpress::cmdBack_Click() {
    if (CurrentStep <= 0) return;
    --CurrentStep;
    Caption = std::string(kTitle) + (CurrentStep == 0 ? " - Introduction" : " - Step " + std::to_string(CurrentStep));
    enabled.cmdFinish = CurrentStep == kFinalStep;
    enabled.cmdNext = true;
    enabled.cmdBack = CurrentStep > 0;
}

void VexaWebExpress::List3_Click(int index) {
    if (index < 0 || index >= List3.size()) return;
    List3.selected = index;
    txtExeFilename = List3.entries[index];
}

void VexaWebExpress::UrlBoxes_Change() {
    if (CurrentStep == 4) enabled.cmdNext = !Trim(txtActiveXUrl).empty() && !Trim(txtPublicationURL).empty();
}

void VexaWebExpress::txtHtmlFilename_Change() {
    if (CurrentStep == kFinalStep) enabled.cmdFinish = !Trim(txtHtmlFilenameNoPath).empty();
}

bool VexaWebExpress::cmdFinish_Click() {
    // The loader makes its cache folders on its first run; this machine may not have had one.
    for (const std::string* cache : {&InstalledScriptsCacheDir, &DownloadedProgramsCacheDir}) {
        std::error_code ignored;
        fs::create_directories(*cache, ignored);
    }
    for (const std::string* directory : {&ProjectDir, &ProjectFilesDir, &ReleaseDir, &ReleaseActiveXDir}) {
        VexaDnld1().CreateDir(*directory);
        std::error_code error;
        if (fs::is_directory(*directory, error)) continue;
        Message(kCannotCreateProjectDir + *directory);
        return false;
    }
    HtmlFilePath = ReleaseDir + std::string(Trim(txtHtmlFilenameNoPath));
    if (!ValidateHtmlFilenameNoPath() || !ValidateStandAloneExeFilename()) return false;
    if (!txtActiveXUrl.ends_with('\\') && !txtActiveXUrl.ends_with('/')) txtActiveXUrl += '/';
    if (HasAnyFile(ReleaseDir) || HasAnyFile(ReleaseActiveXDir)) {
        std::string question = std::string(kDeleteReleaseFiles) + kCrLf + kCrLf + ReleaseDir + kCrLf +
                               ReleaseActiveXDir + kCrLf + kCrLf + kReleaseUpdated;
        if (!platform_.ui.AskYesNo(question, kUpdatingReleaseFiles)) return false;
    }
    if (!DeleteAllFilesInReleaseDirectory()) {
        Message(kCannotDeleteFiles + ReleaseDir);
        return false;
    }
    CurrentStep = kWorkingStep;
    Caption = std::string(kTitle) + " - Creating the Web Page";
    enabled.cmdNext = enabled.cmdBack = enabled.cmdFinish = enabled.cmdExit = false;
    txtWorkProgress.clear();
    workCancelled_ = false;

    bool made = chkCreateMultiProgramCabs ? CreateProgramCabFiles() : CreateSingleProgramCabFile();
    made = made && CreateScriptCabFile() && MakeHTMLFile(HtmlFilePath);
    if (made) {
        SaveStepSettingsToProjectDirectory();
        ExecuteSignCodeCommands();
        made = MakeStandAloneExeWebFile(ReleaseDir + txtStandAloneExeFilenameNoPath);
    }
    if (!made) {
        RollBack();
        return false;
    }
    AppendProgress("Done!");
    DoEvents();
    ShowSuccess();
    return true;
}

void VexaWebExpress::RollBack() {
    DeleteAllFilesInReleaseDirectory();
    cmdBack_Click();
    enabled.cmdNext = false;
    enabled.cmdExit = true;
}

void VexaWebExpress::ShowSuccess() {
    const std::string lines[] = {"Successfully converted the program: ",
                                 std::string(FileNamePart(txtExeFilename)),
                                 "and all its associated files into a Web page. ",
                                 "",
                                 "To test the Web Page locally: ",
                                 "Double-click the file: ",
                                 ReleaseDir + std::string(Trim(txtHtmlFilenameNoPath)),
                                 "",
                                 "To publish this Web page: ",
                                 "",
                                 "(1) Copy all the files in the Release directory: ",
                                 ReleaseDir,
                                 "into the following directory on your Web site: ",
                                 txtPublicationURL,
                                 "",
                                 "(2) Copy all the files in the Release directory: ",
                                 ReleaseActiveXDir,
                                 "into the following directory of your Web site: "};
    txtFinalMessage.clear();
    for (const std::string& line : lines) txtFinalMessage += line + kCrLf;
    txtFinalMessage += txtActiveXUrl;
}

void VexaWebExpress::cmdCancelWork_Click() {
    VexaCB1().CancelMakeCabFile();
    KeepWorking = false;
    CabErrorMessage = kCabCancelled;
    workCancelled_ = true;
}

void VexaWebExpress::Raise(const EventEntry& event, const std::vector<Value>& arguments) {
    auto text = [&](std::size_t i) { return std::get<std::string>(arguments.at(i)); };
    switch (event.id) {
        case kMakeCabProgress: {
            std::string file = text(1);
            if (file.empty() || file == lastReportedFile_) return;
            AppendProgress("Adding " + std::string(FileNamePart(file)) + " into " + std::string(FileNamePart(text(0))));
            lastReportedFile_ = file;
            return;
        }
        case kMakeCabDone:
            AppendProgress("Completed making " + std::string(FileNamePart(text(0))));
            CabErrorMessage.clear();
            KeepWorking = false;
            return;
        case kMakeCabError:
            CabErrorMessage = kCannotCreateCabFile + text(0);
            KeepWorking = false;
            return;
        case kMakeCabCancel:
            CabErrorMessage = kCabCancelled;
            KeepWorking = false;
            return;
        default:
            return;
    }
}

// Waits on the message loop for the job's end event rather than sleeping between looks;
// the worker, which posts that event last, is then let go before the next job may start.
bool VexaWebExpress::WaitForCabJob() {
    while (KeepWorking) {
        platform_.windows.RunUntil([this] { return !KeepWorking; }, kLookAgain);
        if (onIdle) onIdle();
    }
    jobs_.WaitForWorker();
    DoEvents();
    if (workCancelled_) CabErrorMessage = kCabCancelled;
    return CabErrorMessage.empty();
}

void VexaWebExpress::DoEvents() {
    platform_.windows.RunUntil([] { return false; }, 0);
    if (onIdle) onIdle();
}

void VexaWebExpress::Message(const std::string& text, const std::string& caption, MessageIcon icon) {
    platform_.ui.ShowMessage(text, caption.empty() ? kTitle : caption, icon);
}

void VexaWebExpress::AppendProgress(const std::string& line) {
    txtWorkProgress += line + kCrLf;
    if (onProgress) onProgress(line);
}

}  // namespace vexa::wizard
