#include "cabinet/vexa_cb.hpp"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "cabinet/cab_dispatch.hpp"
#include "cabinet/cab_expansion.hpp"
#include "cabinet/cab_messages.hpp"
#include "cabinet/self_extracting.hpp"
#include "cabinet/split_file.hpp"
#include "common/file_beside.hpp"
#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;


template <typename List>
std::string EntryAt(const List& list, std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < list.size() ? list[index] : std::string();
}

std::int32_t CountOf(std::size_t size) { return static_cast<std::int32_t>(size); }

Value LongOf(std::int64_t number) {
    return Value(static_cast<std::int32_t>(std::min<std::int64_t>(number, std::numeric_limits<std::int32_t>::max())));
}

std::string WithoutSkipMark(const std::string& entry) { return entry.starts_with(cab::kSkipMark) ? entry.substr(1) : entry; }

// The dialogs want the filter to end in "||".
std::string DialogFilter(const std::string& filter) {
    if (filter.ends_with("||")) return filter;
    return filter + (filter.ends_with('|') ? "|" : "||");
}

// As a directory search finds it: a name with a wildcard finds any entry it matches.
bool AnyEntryFound(const std::string& name) {
    std::error_code error;
    std::string pattern(FileNamePart(name));
    if (pattern.find_first_of("*?") == std::string::npos) return fs::exists(name, error);
    std::string directory(DirectoryPart(name));
    fs::directory_iterator entries(directory.empty() ? "." : directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error))
        if (MatchesWildcard(pattern, entries->path().filename().string())) return true;
    return false;
}

}  // namespace

VexaCB::VexaCB(Platform& platform, CabinetJobs& jobs, EventSink& events, std::span<const unsigned char> selfExtractStub)
    : platform_(platform),
      jobs_(jobs),
      events_(events),
      selfExtractStub_(selfExtractStub),
      window_(platform.windows.Create(*this)) {}

// A job still running goes on; with the window gone, it ends without an event.
VexaCB::~VexaCB() {
    if (window_ != 0) platform_.windows.Destroy(window_);
}

bool VexaCB::SelectFiles(const std::string& filter, bool recurseSubdirectories, std::int32_t maxNumSubDirectories) {
    return selection_.Select(filter, recurseSubdirectories, maxNumSubDirectories);
}

std::int32_t VexaCB::GetNumSelectedFiles() { return CountOf(selection_.Files().size()); }

std::int32_t VexaCB::GetNumSelectedDirectories() { return CountOf(selection_.Directories().size()); }

std::string VexaCB::DisplaySelectDirectoryDialog(std::int32_t hwndOwner, const std::string& strTitle) {
    auto folder = platform_.ui.SelectFolder(hwndOwner, strTitle);
    return folder ? WithTrailingSeparator(*folder, kNativeSeparator) : std::string();
}

std::string VexaCB::GetSelectedFile(std::int32_t index) { return EntryAt(selection_.Files(), index); }

std::string VexaCB::GetSelectedDirectory(std::int32_t index) { return EntryAt(selection_.Directories(), index); }

void VexaCB::ClearFilesSelection() { selection_.Clear(); }

bool VexaCB::AddFileToCabImage(const std::string& sourceFilename, const std::string& filenameInCab) {
    if (sourceFilename.empty()) return false;
    image_.sources.push_back(sourceFilename);
    image_.names.push_back(filenameInCab.empty() ? std::string(FileNamePart(sourceFilename)) : filenameInCab);
    return true;
}

void VexaCB::ClearCabImage() { image_ = {}; }

void VexaCB::CancelMakeCabFile() { jobs_.makeCancel = true; }

std::int32_t VexaCB::GetNumFilesInCab() { return CountOf(expansionList_.size()); }

std::string VexaCB::GetFilenameInCab(std::int32_t index) { return WithoutSkipMark(EntryAt(expansionList_, index)); }

void VexaCB::SkipFileInCab(std::int32_t index, bool skip) {
    if (index < 0 || static_cast<std::size_t>(index) >= expansionList_.size()) return;
    std::string& entry = expansionList_[index];
    if (!skip) entry = WithoutSkipMark(entry);
    if (skip && !entry.starts_with(cab::kSkipMark)) entry.insert(0, 1, cab::kSkipMark);
}

// Nothing checks that a cabinet was opened: without one the worker fails at once.
// An empty destination would become the root of the drive.
bool VexaCB::ExpandCabFile(const std::string& destDirectory) {
    if (Trim(destDirectory).empty()) return false;
    ExpandOrder order{openedCabFilename_, destDirectory, expansionList_, window_};
    if (!EndsWithSeparator(order.directory)) order.directory += kNativeSeparator;
    std::string directory = order.directory;
    auto work = [&platform = platform_, &jobs = jobs_, order = std::move(order)] { RunExpansion(platform, jobs, order); };
    if (!jobs_.Start(CabinetJobs::Job::Expansion, std::move(work))) return false;
    expansionDirectory_ = std::move(directory);
    return true;
}

bool VexaCB::OpenCabForExpansion(const std::string& cabFilename) {
    if (jobs_.Running()) return false;
    openedCabFilename_.clear();
    expansionList_.clear();
    auto names = ListCabinet(platform_.files, cabFilename);
    if (!names) return false;
    expansionList_ = std::move(*names);
    openedCabFilename_ = cabFilename;
    return true;
}

bool VexaCB::MakeCabFile(const std::string& cabFilename, std::int32_t certificateSize) {
    MakeOrder order{image_, cabFilename, certificateSize, sourcesToArchive_, window_, layout_};
    auto work = [&platform = platform_, &jobs = jobs_, order = std::move(order)] { RunMake(platform, jobs, order); };
    if (!jobs_.Start(CabinetJobs::Job::Make, std::move(work))) return false;
    makeCabFilename_ = cabFilename;
    return true;
}

void VexaCB::CancelExpandCabFile() { jobs_.expandCancel = true; }

// "Overwrite all" can only be earned by not answering.
void VexaCB::OverwriteExistingFile(std::int32_t overwriteFlag) {
    if (overwriteFlag != kOverwriteAll) jobs_.overwriteAnswer = overwriteFlag;
}

bool VexaCB::Cab2Exe(const std::string& cabFilename, const std::string& exeFilename) {
    return vexa::Cab2Exe(platform_.files, selfExtractStub_, cabFilename, exeFilename);
}

std::string VexaCB::Filename2FilenameNoExt(const std::string& filename) {
    return std::string(WithoutExtension(filename));
}

std::string VexaCB::FullPathname2Filename(const std::string& fullPathname) {
    return std::string(FileNamePart(fullPathname));
}

std::string VexaCB::FullPathname2Pathname(const std::string& fullPathname) {
    return std::string(DirectoryPart(fullPathname));
}

bool VexaCB::IsFile(const std::string& filename) { return !Trim(filename).empty() && AnyEntryFound(filename); }

std::string VexaCB::ReplaceStringAllOccurrences(const std::string& sourceString, const std::string& findSubString,
                                                const std::string& replacementSubString) {
    return ReplaceAll(sourceString, findSubString, replacementSubString);
}

bool VexaCB::RegisterOcxFile(const std::string& ocxFilename) {
    return platform_.components.RegisterServer(ocxFilename);
}

bool VexaCB::UnregisterOcxFile(const std::string& ocxFilename) {
    return platform_.components.UnregisterServer(ocxFilename);
}

void VexaCB::SetCabSourceFilesToArchive(bool setSourceFilesToArchive) { sourcesToArchive_ = setSourceFilesToArchive; }

std::string VexaCB::DisplaySelectFileDialog(const std::string& defaultFileExt, const std::string& filter) {
    return platform_.ui.OpenFile({defaultFileExt, DialogFilter(filter), {}, {}}).value_or("");
}

std::string VexaCB::SplitFile(const std::string& filename, std::int32_t numSplits) {
    return vexa::SplitFile(platform_.files, filename, numSplits);
}

std::string VexaCB::GetFileLastModifTime(const std::string& filename) {
    auto time = platform_.files.LastWriteTime(filename);
    return time ? FormatTimeStamp14(*time) : std::string();
}

// The fields are read from the first fourteen characters.
bool VexaCB::SetFileLastModifTime(const std::string& filename, const std::string& modifTime) {
    auto time = ParseTimeStamp14(std::string_view(modifTime).substr(0, 14));
    return time && platform_.files.SetFileTime(filename, *time, false);
}

std::string VexaCB::TextFileToString(const std::string& filename) {
    return ReadTextFile(platform_.files, filename).value_or("");
}

bool VexaCB::StringToTextFile(const std::string& strString, const std::string& filename) {
    return WriteTextFile(platform_.files, filename, strString);
}

bool VexaCB::Execute(const std::string& executeCommand) { return platform_.shell.Open(executeCommand); }

std::string VexaCB::DisplaySelectFileDialog2(const std::string& defaultFileExt, const std::string& filter,
                                             const std::string& dialogTitle, const std::string& defaultFilename) {
    return platform_.ui.OpenFile({defaultFileExt, DialogFilter(filter), dialogTitle, defaultFilename}).value_or("");
}

std::string VexaCB::DisplaySaveAsDialog(const std::string& defaultFileExt, const std::string& filter,
                                        const std::string& dialogTitle, const std::string& defaultFilename) {
    return platform_.ui.SaveAs({defaultFileExt, DialogFilter(filter), dialogTitle, defaultFilename}).value_or("");
}

void VexaCB::AboutBox() {
    platform_.ui.ShowMessage("VexaCB cabinet control: makes, lists and expands cabinet files, splits files.",
                             "About VexaCB");
}

void VexaCB::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case kMakeProgressMessage:
            Raise(kMakeCabProgress, {makeCabFilename_, jobs_.CurrentFile(), LongOf(jobs_.uncompressedTotal),
                                     LongOf(jobs_.compressedTotal)});
            break;
        case kMakeEndedMessage: OnMakeEnded(wParam); break;
        case kExpandProgressMessage:
            Raise(kExpandCabProgress,
                  {openedCabFilename_, expansionDirectory_, CurrentExpansionEntry(), jobs_.CurrentFile()});
            break;
        case kExpandOverwriteMessage: OnExpandOverwrite(); break;
        case kExpandEndedMessage: OnExpandEnded(wParam, static_cast<std::int32_t>(lParam)); break;
        default: break;
    }
}

void VexaCB::OnMakeEnded(std::uintptr_t outcome) {
    switch (static_cast<JobOutcome>(outcome)) {
        case JobOutcome::Done:
            Raise(kMakeCabDone, {makeCabFilename_, LongOf(jobs_.uncompressedTotal), LongOf(jobs_.compressedTotal)});
            break;
        case JobOutcome::Error: Raise(kMakeCabError, {makeCabFilename_}); break;
        case JobOutcome::Cancel: Raise(kMakeCabCancel, {makeCabFilename_}); break;
    }
}

void VexaCB::OnExpandEnded(std::uintptr_t outcome, std::int32_t extracted) {
    switch (static_cast<JobOutcome>(outcome)) {
        case JobOutcome::Done: Raise(kExpandCabDone, {openedCabFilename_, expansionDirectory_, extracted}); break;
        case JobOutcome::Error: Raise(kExpandCabError, {openedCabFilename_, expansionDirectory_}); break;
        case JobOutcome::Cancel: Raise(kExpandCabCancel, {openedCabFilename_, expansionDirectory_, extracted}); break;
    }
}

// A handler that gives no answer leaves "overwrite all" for this file and the rest.
void VexaCB::OnExpandOverwrite() {
    Raise(kExpandCabOverwriteExistingFile, {openedCabFilename_, jobs_.CurrentFile()});
    jobs_.AnswerIfWaiting(kOverwriteAll);
}

// The entry the job has reached by now: the last one once it has passed the end.
std::string VexaCB::CurrentExpansionEntry() const {
    if (expansionList_.empty()) return {};
    std::size_t position = std::min<std::size_t>(jobs_.expansionPosition, expansionList_.size() - 1);
    return WithoutSkipMark(expansionList_[position]);
}

void VexaCB::Raise(std::int32_t event, std::vector<Value> arguments) {
    if (const EventEntry* entry = VexaCBDispatch().FindEvent(event)) events_.Raise(*entry, arguments);
}

}  // namespace vexa
