#pragma once
// The page wizard's window without a screen: its boxes, lists and buttons under their
// names, the steps between them, and the build that Finish runs. A host shows these
// fields and forwards the user's actions; no rule lives in a host. The window hosts one
// cabinet control and one download control and makes every file, string and cabinet call
// through them.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cabinet/cabinet_jobs.hpp"
#include "cabinet/vexa_cb.hpp"
#include "common/dispatch.hpp"
#include "download/vexa_dnld.hpp"
#include "platform/platform.hpp"

namespace vexa::wizard {

struct WizardVersion {
    int major = 0, minor = 0, revision = 0;
};

struct CheckedEntry {
    std::string text;
    bool checked = false;
};

// A list box: its entries and the selected position (-1 when none is selected).
template <typename Entry>
struct ListBox {
    std::vector<Entry> entries;
    int selected = -1;
    int size() const { return static_cast<int>(entries.size()); }
    void clear() {
        entries.clear();
        selected = -1;
    }
};

// The URL with a final "/" added unless it has one.
std::string WithFinalSlash(std::string_view url);

// How many pieces a program cabinet of `size` bytes is published in: 0 for a whole one.
std::int32_t ProgramCabPieces(std::int64_t size, bool multiCabinetMode);

inline constexpr int kFinalStep = 6;
inline constexpr int kWorkingStep = 7;

class VexaWebExpress final : private EventSink {
public:
    // `appDir` is the wizard's own directory, where the loader's files and the global
    // settings live; `stub` the stand-alone program's image is read from there too.
    VexaWebExpress(Platform& platform, std::string appDir, WizardVersion version);
    ~VexaWebExpress() override;
    VexaWebExpress(const VexaWebExpress&) = delete;
    VexaWebExpress& operator=(const VexaWebExpress&) = delete;

    // The window's events.
    bool Start();  // start-up; false when the program must end (its message was shown)
    void cmdNext_Click();
    void cmdBack_Click();
    // The build; true when the release is made and `txtFinalMessage` holds the success text.
    bool cmdFinish_Click();
    void cmdSelectDirectory_Click();
    void cmdCancel_Click() { KeepWorking = false; }
    void cmdCancelWork_Click();
    void List1_Click(int index);  // List1 or List2 clicked: the entry shows in txtSelectedItem
    void List2_Click(int index);
    void List3_Click(int index);
    void List1_ItemCheck(int index, bool checked);
    void SelectAllFiles(bool check);  // the pop-up menu's "Select All Files" and "Clear All Files"
    void chkShowSelectedItemsOnly_Click(bool ticked);
    void cmdAddOcx_Click();
    void cmdRemoveOcx_Click();
    void cmdAddDll_Click();
    void cmdRemoveDll_Click();
    void lstOCX_Click(int index);
    void UrlBoxes_Change();       // txtActiveXUrl or txtPublicationURL changed
    void txtHtmlFilename_Change();

    // Runs whenever the wizard lets window messages run: a console host notices Ctrl-C there.
    std::function<void()> onIdle;
    // Each line added to the working frame's progress box, as it comes.
    std::function<void(const std::string&)> onProgress;

    // The boxes and check boxes.
    std::string txtDirectoryName, txtWebSiteURL, txtSelectedItem, txtExeFilename, txtExeParas;
    std::string txtPublicationURL, txtActiveXUrl, txtHtmlFilenameNoPath, txtHtmlTitle;
    std::string txtStandAloneExeFilenameNoPath, txtSignCodeCommands, txtWorkProgress;
    std::string txtFinalMessage, lblVersion, Caption;
    bool chkCreateMultiProgramCabs = true;
    bool chkShowSelectedItemsOnly = false;
    // The lists.
    ListBox<CheckedEntry> List1;
    ListBox<std::string> List2, List3, lstOCX, lstDLL;
    // What may be pressed and what shows.
    struct Enabled {
        bool cmdBack = false, cmdNext = true, cmdFinish = false, cmdExit = true;
        bool cmdSelectDirectory = true, cmdCancel = false, chkShowSelectedItemsOnly = true;
        bool cmdRemoveOcx = false, cmdRemoveDll = false, txtWebSiteURL = false;
    } enabled;
    bool lblStep2NoteVisible = true;
    bool List2Visible = false;
    std::string Focus;  // the box the last check sent the user to
    bool LogoShown() const;  // the logo shows beside every frame but the four wide ones
    // The frames tagged "FULL", steps 2 to 5: they keep their designed place and width,
    // the others stand right of the logo.
    static bool FrameIsFull(int step) { return step >= 2 && step <= 5; }

    std::int16_t CurrentStep = 0;
    bool KeepWorking = false;
    std::string CabErrorMessage;
    std::int32_t SelectedExeCount = 0;
    std::string AppDir, ProjectDir, ProjectFilesDir, ReleaseDir, ReleaseActiveXDir;
    std::string InstalledScriptsCacheDir, DownloadedProgramsCacheDir, HtmlFilePath;

    // The example web site that step 1 fills in and its message names.
    static constexpr const char* kExampleWebSite = "http://www.example.com/";

    // Shared by the parts of the build; public for their tests.
    bool DeleteAllFilesInReleaseDirectory();
    std::string VexaGenerateUniqueCabFilename(const std::string& source, const std::string& targetDirectory);
    std::string VexaGenerateCabFilename(const std::string& source, const std::string& targetDirectory);
    std::string VexaCreateCabFromOneFile(const std::string& cabinet, const std::string& source, std::int32_t reserve);
    bool ValidateHtmlFilenameNoPath();
    bool ValidateStandAloneExeFilename();
    void LoadStepSettingsFromProjectDirectory();
    void SaveStepSettingsToProjectDirectory();
    std::string WizardVersionText() const;

    VexaCB& VexaCB1() { return *vexaCB1_; }
    download::VexaDnld& VexaDnld1() { return *vexaDnld1_; }

private:
    // EventSink: the cabinet control's events.
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override;

    // The flow.
    void ShowFrame(int step);
    void ArriveAtStep();
    bool LeaveStep();
    void RollBack();
    void ShowSuccess();

    // Settings.
    std::string ProjectFile(const char* name) const;
    std::string ReadSetting(const std::string& path);
    std::vector<std::string> ReadTextFileLines(const std::string& path);
    std::vector<std::string> SavedProgramFiles();
    void ComputeDirectories(const std::string& directory);

    // File selection.
    bool EnumerateFiles(const std::string& directory);
    bool ListFiles(const std::string& directory);
    bool SelectProgramFilesInList();
    bool ListingCancelled(std::size_t done, std::size_t total);
    void UpdateStep2Next();
    void SelectFirstProgramFile();
    void SetWebSiteBoxEnabled(bool enable);
    bool IsInLists(const std::string& path, const ListBox<std::string>& list) const;
    std::string AddedEntry(const std::string& path) const;
    std::string ProgramFilePath(const std::string& entry) const;
    std::string ComponentFile(const std::string& entry) const;
    std::string AddedEntryOfLoader() const;

    // Cabinets.
    bool CreateSingleProgramCabFile();
    bool CreateProgramCabFiles();
    bool WaitForCabJob();
    std::string ComponentLine(const std::string& entry, bool isOcx);
    bool ProgramLine(std::size_t k, std::string& line);

    // Script, page, signing and the stand-alone program.
    bool CreateScriptCabFile();
    bool MakeHTMLFile(const std::string& htmlPath);
    bool ExecuteSignCodeCommands();
    bool MakeStandAloneExeWebFile(const std::string& exe);
    std::string ScriptBaseName() const;
    std::string ScriptCabPath() const;
    std::string NowText();

    void DoEvents();
    void Message(const std::string& text, const std::string& caption = {}, MessageIcon icon = MessageIcon::None);
    void AppendProgress(const std::string& line);

    Platform& platform_;
    WizardVersion version_;
    CabinetJobs jobs_;
    std::unique_ptr<VexaCB> vexaCB1_;
    std::unique_ptr<download::VexaDnld> vexaDnld1_;
    class NoEvents;
    std::unique_ptr<EventSink> dnldEvents_;

    std::vector<std::string> ProgramCabPaths, ProgramCabSubDirs;
    std::string lastReportedFile_;
    bool workCancelled_ = false;  // Cancel was pressed during this build
};

}  // namespace vexa::wizard
