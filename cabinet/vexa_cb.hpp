#pragma once
// The cabinet control: walks directories for files, makes cabinets from a list of files,
// lists and expands cabinets, splits files, and offers file, path, dialog and
// registration utilities. Its public methods are the control's dispatch methods; making
// and expanding run on the worker thread of the process's cabinet jobs and come back as
// events, raised on the thread that created the control.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cabinet/cab_making.hpp"
#include "cabinet/cabinet_jobs.hpp"
#include "cabinet/file_selection.hpp"
#include "common/dispatch.hpp"
#include "platform/platform.hpp"

namespace vexa {

class VexaCB final : private WindowHandler {
public:
    // `jobs` and `events` must outlive the control, and `platform` must outlive `jobs`.
    // `selfExtractStub` is the program that self-extracting cabinets begin with.
    VexaCB(Platform& platform, CabinetJobs& jobs, EventSink& events, std::span<const unsigned char> selfExtractStub);
    ~VexaCB() override;
    VexaCB(const VexaCB&) = delete;
    VexaCB& operator=(const VexaCB&) = delete;

    bool SelectFiles(const std::string& filter, bool recurseSubdirectories, std::int32_t maxNumSubDirectories);
    std::int32_t GetNumSelectedFiles();
    std::int32_t GetNumSelectedDirectories();
    std::string DisplaySelectDirectoryDialog(std::int32_t hwndOwner, const std::string& strTitle);
    std::string GetSelectedFile(std::int32_t index);
    std::string GetSelectedDirectory(std::int32_t index);
    void ClearFilesSelection();
    bool AddFileToCabImage(const std::string& sourceFilename, const std::string& filenameInCab);
    void ClearCabImage();
    void CancelMakeCabFile();
    std::int32_t GetNumFilesInCab();
    std::string GetFilenameInCab(std::int32_t index);
    void SkipFileInCab(std::int32_t index, bool skip);
    bool ExpandCabFile(const std::string& destDirectory);
    bool OpenCabForExpansion(const std::string& cabFilename);
    bool MakeCabFile(const std::string& cabFilename, std::int32_t certificateSize);
    void CancelExpandCabFile();
    void OverwriteExistingFile(std::int32_t overwriteFlag);
    bool Cab2Exe(const std::string& cabFilename, const std::string& exeFilename);
    std::string Filename2FilenameNoExt(const std::string& filename);
    std::string FullPathname2Filename(const std::string& fullPathname);
    std::string FullPathname2Pathname(const std::string& fullPathname);
    bool IsFile(const std::string& filename);
    std::string ReplaceStringAllOccurrences(const std::string& sourceString, const std::string& findSubString,
                                            const std::string& replacementSubString);
    bool RegisterOcxFile(const std::string& ocxFilename);
    bool UnregisterOcxFile(const std::string& ocxFilename);
    void SetCabSourceFilesToArchive(bool setSourceFilesToArchive);
    std::string DisplaySelectFileDialog(const std::string& defaultFileExt, const std::string& filter);
    std::string SplitFile(const std::string& filename, std::int32_t numSplits);
    std::string GetFileLastModifTime(const std::string& filename);
    bool SetFileLastModifTime(const std::string& filename, const std::string& modifTime);
    std::string TextFileToString(const std::string& filename);
    bool StringToTextFile(const std::string& strString, const std::string& filename);
    bool Execute(const std::string& executeCommand);
    std::string DisplaySelectFileDialog2(const std::string& defaultFileExt, const std::string& filter,
                                         const std::string& dialogTitle, const std::string& defaultFilename);
    std::string DisplaySaveAsDialog(const std::string& defaultFileExt, const std::string& filter,
                                    const std::string& dialogTitle, const std::string& defaultFilename);
    void AboutBox();

    // Not a dispatch method: hosts that want the smallest cabinet choose the continuous
    // layout for their makes; pages get the control's own.
    void SetFolderLayout(FolderLayout layout) { layout_ = layout; }

private:
    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(std::uint32_t) override {}
    void OnMakeEnded(std::uintptr_t outcome);
    void OnExpandEnded(std::uintptr_t outcome, std::int32_t extracted);
    void OnExpandOverwrite();
    std::string CurrentExpansionEntry() const;
    void Raise(std::int32_t event, std::vector<Value> arguments);

    Platform& platform_;
    CabinetJobs& jobs_;
    EventSink& events_;
    std::span<const unsigned char> selfExtractStub_;
    WindowHandle window_;

    FileSelection selection_;
    CabImage image_;
    bool sourcesToArchive_ = false;
    FolderLayout layout_ = FolderLayout::FolderPerFile;
    std::string makeCabFilename_;
    std::string openedCabFilename_;
    std::vector<std::string> expansionList_;
    std::string expansionDirectory_;
};

}  // namespace vexa
