// What the web page program consists of: the program directory and its files (steps 1
// and 2), and the controls and libraries to install (step 5).

#include <unordered_set>

#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

using namespace texts;

namespace {

constexpr std::int32_t kBatch = 200;  // files per enumeration call, entries per look at the window

bool IsExe(const std::string& name) { return ToUpperAnsi(name).ends_with(".EXE"); }

bool NamesWizardDirectory(const std::string& path) {
    return FindIgnoreCase(path, "\\VexaWizard") != std::string::npos ||
           FindIgnoreCase(path, "/VexaWizard") != std::string::npos;
}

bool IsLoader(const std::string& path) { return EqualsIgnoreCase(FileNamePart(path), kLoaderOcx); }

}  // namespace

void VexaWebExpress::cmdSelectDirectory_Click() {
    enabled.cmdSelectDirectory = enabled.cmdBack = enabled.cmdNext = false;
    enabled.cmdCancel = true;
    std::string result = txtDirectoryName;
    const std::string answer = VexaCB1().DisplaySelectDirectoryDialog(0, kSelectDirectory);
    if (!answer.empty() && NamesWizardDirectory(answer)) {
        Message(kNoWizardDirectory);
    } else if (!answer.empty()) {
        txtDirectoryName = answer;
        ComputeDirectories(answer);
        SetWebSiteBoxEnabled(true);
        LoadStepSettingsFromProjectDirectory();
        txtWebSiteURL = std::string(Trim(txtWebSiteURL));
        if (txtWebSiteURL.empty()) txtWebSiteURL = kExampleWebSite;
        if (EnumerateFiles(answer) && ListFiles(answer)) {
            result = answer;
            List2.clear();
            List2Visible = false;
            SelectFirstProgramFile();
        } else {
            result.clear();
            List1.clear();
        }
    }
    txtDirectoryName = result;
    enabled.chkShowSelectedItemsOnly = enabled.cmdSelectDirectory = enabled.cmdBack = true;
    enabled.cmdCancel = false;
    if (!txtDirectoryName.empty()) {
        enabled.cmdNext = true;
        Focus = "cmdNext";
    } else {
        SetWebSiteBoxEnabled(false);
    }
    KeepWorking = false;
}

void VexaWebExpress::SetWebSiteBoxEnabled(bool enable) { enabled.txtWebSiteURL = enable; }

bool VexaWebExpress::EnumerateFiles(const std::string& directory) {
    KeepWorking = true;
    VexaCB1().ClearFilesSelection();
    const std::string pattern = directory + "*.*";
    while (!VexaCB1().SelectFiles(pattern, true, kBatch)) {
        txtDirectoryName = "Selecting files (" + std::to_string(VexaCB1().GetNumSelectedFiles()) + " files selected.)";
        DoEvents();
        if (!KeepWorking) {
            Message(kSelectionCanceled, kSelectionCanceledTitle, MessageIcon::Information);
            return false;
        }
    }
    txtDirectoryName = directory;
    DoEvents();
    List1.clear();
    if (VexaCB1().GetNumSelectedFiles() == 0) {
        Message(kEmptyDirectory, kEmptyDirectoryTitle);
        return false;
    }
    return true;
}

// Every 200 entries the window shows how far the listing is and may be cancelled.
bool VexaWebExpress::ListingCancelled(std::size_t done, std::size_t total) {
    if (done % kBatch != 0) return false;
    txtDirectoryName = "Listing file " + std::to_string(done) + " of " + std::to_string(total) + " files (" +
                       std::to_string(done * 100 / total) + "%)";
    DoEvents();
    if (KeepWorking) return false;
    Message(kListingCanceled, kListingCanceledTitle, MessageIcon::Information);
    return true;
}

bool VexaWebExpress::ListFiles(const std::string& directory) {
    const std::size_t n = static_cast<std::size_t>(VexaCB1().GetNumSelectedFiles());
    SelectedExeCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::string file = VexaCB1().GetSelectedFile(static_cast<std::int32_t>(i)).substr(directory.size());
        if (!StartsWithIgnoreCase(file, "VexaWizard")) {
            CheckedEntry entry{FormatPath(file), false};
            if (kFileNamesIgnoreCase) entry.text = ToLowerAnsi(entry.text);
            if (IsExe(entry.text)) ++SelectedExeCount;
            List1.entries.push_back(std::move(entry));
        }
        if (ListingCancelled(i + 1, n)) return false;
    }
    if (SelectedExeCount == 0) {
        Message(kNoExe, kNoExeTitle, MessageIcon::Information);
        List1.clear();
        return false;
    }
    return SelectProgramFilesInList();
}

bool VexaWebExpress::SelectProgramFilesInList() {
    const std::vector<std::string> saved = SavedProgramFiles();
    std::unordered_set<std::string> wanted;
    for (const std::string& line : saved) wanted.insert(ToUpperAnsi(line));
    for (std::size_t i = 0; i < List1.entries.size(); ++i) {
        CheckedEntry& entry = List1.entries[i];
        entry.checked = saved.empty() || wanted.contains(ToUpperAnsi(entry.text));
        if (saved.empty() && ListingCancelled(i + 1, List1.entries.size())) {
            List1.clear();
            return false;
        }
    }
    SelectedExeCount = 0;
    for (const CheckedEntry& entry : List1.entries) SelectedExeCount += entry.checked && IsExe(entry.text);
    SelectFirstProgramFile();
    return true;
}

void VexaWebExpress::List1_ItemCheck(int index, bool checked) {
    if (index < 0 || index >= List1.size()) return;
    CheckedEntry& entry = List1.entries[index];
    const bool changed = entry.checked != checked;
    entry.checked = checked;
    if (CurrentStep != 2) return;
    if (changed && IsExe(entry.text)) SelectedExeCount += checked ? 1 : -1;
    UpdateStep2Next();
}

void VexaWebExpress::List1_Click(int index) {
    if (index < 0 || index >= List1.size()) return;
    List1.selected = index;
    txtSelectedItem = List1.entries[index].text;
}

// Selecting an entry shows it below the list, as a click does.
void VexaWebExpress::SelectFirstProgramFile() {
    List1.selected = -1;
    List1_Click(0);
}

void VexaWebExpress::List2_Click(int index) {
    if (index < 0 || index >= List2.size()) return;
    List2.selected = index;
    txtSelectedItem = List2.entries[index];
}

void VexaWebExpress::UpdateStep2Next() {
    bool anyChecked = false;
    for (const CheckedEntry& entry : List1.entries) anyChecked = anyChecked || entry.checked;
    enabled.cmdNext = anyChecked && SelectedExeCount > 0;
    lblStep2NoteVisible = !enabled.cmdNext;
}

void VexaWebExpress::SelectAllFiles(bool check) {
    for (int i = 0; i < List1.size(); ++i) List1_ItemCheck(i, check);
    SelectFirstProgramFile();
}

void VexaWebExpress::chkShowSelectedItemsOnly_Click(bool ticked) {
    chkShowSelectedItemsOnly = ticked;
    if (CurrentStep != 2) return;
    List2Visible = ticked;
    if (!ticked) {
        SelectFirstProgramFile();
        return;
    }
    List2.clear();
    const bool nextWasEnabled = enabled.cmdNext;
    enabled.cmdNext = enabled.cmdBack = false;
    for (std::size_t i = 0; i < List1.entries.size(); ++i) {
        if (List1.entries[i].checked) List2.entries.push_back(List1.entries[i].text);
        if ((i + 1) % kBatch == 0) DoEvents();
    }
    enabled.cmdNext = nextWasEnabled;
    enabled.cmdBack = true;
    if (List2.size() > 0) List2.selected = 0;
    txtSelectedItem = List2.size() > 0 ? List2.entries[0] : std::string();
}

std::string VexaWebExpress::ProgramFilePath(const std::string& entry) const {
    return txtDirectoryName + NativePath(entry).string();
}

// The loader's entry is shown in capitals; where names keep their case only its file name
// is, and its facts always come from the loader control beside the wizard.
std::string VexaWebExpress::AddedEntryOfLoader() const {
    return kFileNamesIgnoreCase ? ToUpperAnsi(AppDir + kLoaderOcx) : AppDir + ToUpperAnsi(kLoaderOcx);
}

std::string VexaWebExpress::ComponentFile(const std::string& entry) const {
    return IsLoader(entry) ? AppDir + kLoaderOcx : entry;
}

std::string VexaWebExpress::AddedEntry(const std::string& path) const {
    return kFileNamesIgnoreCase ? ToLowerAnsi(path) : path;
}

bool VexaWebExpress::IsInLists(const std::string& path, const ListBox<std::string>& list) const {
    for (const std::string& entry : list.entries)
        if (EqualsIgnoreCase(entry, path)) return true;
    return false;
}

void VexaWebExpress::cmdAddOcx_Click() {
    const std::string path = VexaCB1().DisplaySelectFileDialog("ocx", kOcxFilter);
    if (path.empty()) return;
    std::string refusal;
    if (!VexaCB1().IsFile(path))
        refusal = kNoSuchFile;
    else if (IsLoader(path))
        refusal = std::string("Error. You cannot add ") + kLoaderOcx + " to the list (it was added automatically).";
    else if (IsInLists(path, lstOCX))
        refusal = kAlreadyInList;
    else if (IsInLists(path, lstDLL))
        refusal = kAlreadyInDllList;
    if (!refusal.empty()) return Message(refusal);
    const std::string classId = ToUpperAnsi(path).ends_with("OCX") ? VexaDnld1().GetControlClsId(path, true)
                                                                    : VexaDnld1().GetControlOrDllClsId(path, true);
    if (classId.empty()) {
        return Message(std::string("The file you selected: ") + kCrLf + kCrLf + path + kCrLf + kCrLf +
                           "is not a registered OCX/DLL file. You must select a file that is registered.",
                       "Error", MessageIcon::Exclamation);
    }
    lstOCX.entries.push_back(AddedEntry(path));
    lstOCX.selected = lstOCX.size() - 1;
    enabled.cmdRemoveOcx = true;
}

void VexaWebExpress::cmdRemoveOcx_Click() {
    if (lstOCX.size() >= 2 && lstOCX.selected >= 1) {
        lstOCX.entries.erase(lstOCX.entries.begin() + lstOCX.selected);
        --lstOCX.selected;
    }
    enabled.cmdRemoveOcx = lstOCX.selected >= 1;
}

void VexaWebExpress::lstOCX_Click(int index) {
    if (index < 0 || index >= lstOCX.size()) return;
    lstOCX.selected = index;
    enabled.cmdRemoveOcx = index != 0;
}

void VexaWebExpress::cmdAddDll_Click() {
    const std::string path = VexaCB1().DisplaySelectFileDialog("dll", kDllFilter);
    if (path.empty()) return;
    if (!VexaCB1().IsFile(path)) return Message(kNoSuchFile);
    if (IsInLists(path, lstDLL)) return Message(kAlreadyInList);
    if (IsInLists(path, lstOCX)) return Message(kAlreadyInOcxList);
    lstDLL.entries.push_back(AddedEntry(path));
    lstDLL.selected = lstDLL.size() - 1;
    enabled.cmdRemoveDll = true;
}

void VexaWebExpress::cmdRemoveDll_Click() {
    if (lstDLL.size() > 0) {
        const int removed = std::max(lstDLL.selected, 0);
        lstDLL.entries.erase(lstDLL.entries.begin() + removed);
        lstDLL.selected = lstDLL.size() > 0 ? std::max(removed - 1, 0) : -1;
    }
    enabled.cmdRemoveDll = lstDLL.size() > 0;
}

}  // namespace vexa::wizard
