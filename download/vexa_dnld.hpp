#pragma once
// The download control: installs program cabinets (whole or as split sets, kept in the
// loader's program cache) into a directory, downloads plain files, posts to server
// scripts, keeps variable files, sends custom events to other windows, and offers the
// file, version, registry, class-identifier, screen and process utilities that pages and
// the wizard use. Its public methods are the control's dispatch methods; transfers run on
// the loader's download engine and come back as events raised on the creating thread.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/dispatch.hpp"
#include "download/custom_event_sender.hpp"
#include "download/line_list.hpp"
#include "download/server_scripts.hpp"
#include "loader/cache.hpp"
#include "loader/download_engine.hpp"
#include "loader/split_download.hpp"
#include "platform/platform.hpp"

namespace vexa::download {

class VexaDnld final : private WindowHandler, private ServerScriptEvents {
public:
    // `events` must outlive the control.
    VexaDnld(Platform& platform, EventSink& events);
    ~VexaDnld() override;
    VexaDnld(const VexaDnld&) = delete;
    VexaDnld& operator=(const VexaDnld&) = delete;

    void CancelInstallProgram();
    bool GenerateCustomEvent(std::int32_t hWnd, const std::string& eventName);
    std::int32_t GetNumBitsPerPixel();
    std::int32_t GetHorizResolution();
    std::int32_t GetVertResolution();
    bool InstallProgram(const std::string& sourceCabUrl, std::int32_t sourceCabSize,
                        const std::string& sourceCabLastModifTime, std::int32_t numSplitFiles,
                        std::int32_t cabExpandedSize, const std::string& destDirectory,
                        const std::string& cabSignature);
    bool IsProgCabOnLocal(const std::string& progCabUrl, std::int32_t cabFileSize, const std::string& cabLastModifTime,
                          const std::string& cabSignature);
    std::string GetFileLastModifTime(const std::string& filename);
    std::int32_t GetFileSize(const std::string& filename);
    std::string GetFileVersion(const std::string& filename);
    bool VerifyFile(const std::string& filename, const std::string& signature);
    std::string GenerateFileSignature(const std::string& filename);
    std::string Filename2FilenameNoExt(const std::string& filename);
    std::string CreateTempSubDirectory(const std::string& prefix);
    std::string GetControlClsId(const std::string& filename, bool bExactSearch);
    bool SetRegistryKeyValue(std::int32_t firstKey, const std::string& subKeysSequence, const std::string& valueName,
                             const std::string& value);
    std::string GetRegistryKeyValue(std::int32_t firstKey, const std::string& subKeysSequence,
                                    const std::string& valueName);
    std::string ClsIdToFilename(const std::string& clsId);
    bool InstallProgramIfOnLocal(const std::string& sourceCabUrl, std::int32_t sourceCabSize,
                                 const std::string& sourceCabLastModifTime, std::int32_t numSplitFiles,
                                 std::int32_t cabExpandedSize, const std::string& destDirectory,
                                 const std::string& cabSignature);
    void SetCurrentUrl(const std::string& urlName);
    std::string TextFileToString(const std::string& filename);
    std::string PathnameToFilename(const std::string& pathname);
    bool StringToTextFile(const std::string& str, const std::string& filename);
    bool SetCgiField(const std::string& fieldName, const std::string& fieldValue);
    std::int32_t SendStringToCgi(const std::string& cgiUrl, const std::string& stringToSend,
                                 const std::string& getOrPost);
    std::int32_t SendFieldsToCgi(const std::string& cgiUrl, const std::string& getOrPost);
    std::string SelectDirectory(std::int32_t hwndOwner);
    std::string GetWinTempDir();
    double GetDriveFreeSpace(const std::string& driveName);
    std::string FullPathnameToPathname(const std::string& fullPathname);
    bool DownloadFile(const std::string& sourceUrl, const std::string& destDirectory);
    std::string SelectDirectory2(std::int32_t hwndOwner, const std::string& strTitle);
    bool AddFiles(const std::string& filename1, const std::string& filename2, const std::string& resultantFilename);
    bool Execute(const std::string& executeCommand);
    bool RegisterOcxFile(const std::string& ocxFilename);
    bool UnregisterOcxFile(const std::string& ocxFilename);
    void SetUserNameAndPassword(const std::string& userName, const std::string& userPassword);
    std::string GetControlOrDllClsId(const std::string& filename, bool bExactSearch);
    std::string ClsIdToProgId(const std::string& strClsId);
    std::string Cmd(const std::string& strCmd, const std::string& strPar);
    bool IsExecuting(std::int32_t exeHandle);
    std::int32_t Execute2(const std::string& executeCommand, const std::string& executeParas, bool bHide);
    std::string GetWinDir();
    std::string GetWinSysDir();
    bool CreateDir(const std::string& dirName);
    std::int32_t TextFileToLines(const std::string& filename, const std::string& separator);
    std::string GetTextFileLine(std::int32_t lineNum);
    bool PutVarInTextFile(const std::string& varName, const std::string& varValue, const std::string& filename);
    std::string GetVarFromTextFile(const std::string& varName, const std::string& filename);
    bool IsVarInTextFile(const std::string& varName, const std::string& filename);
    bool DeleteVarInTextFile(const std::string& varName, const std::string& filename);
    std::int32_t TextToLines(const std::string& text, const std::string& separator);
    void AboutBox();

    // For hosts: the control's window, and whether an install, a download or a server-script
    // request is still to end with its event.
    WindowHandle Window() const { return window_; }
    bool Busy() const { return busy_; }
    bool RequestsPending() const { return scripts_->Pending() > 0; }

private:
    enum class JobKind { Program, RegularDownload };
    struct Job {
        std::string url;  // resolved against the page base
        std::int64_t size = 0;
        std::int64_t pieces = 1;
        std::string destDirectory;  // with its separator
        std::string signature;
        JobKind kind = JobKind::Program;
    };
    struct Counters {
        std::uint64_t fileBytes = 0;
        std::uint64_t fileSize = 0;
        std::uint64_t bytesDone = 0;
        std::uint64_t total = 0;
    };

    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnTimer(std::uint32_t) override {}
    void SendStringToCgiDone(std::int32_t cgiId, const std::string& response) override;
    void SendStringToCgiError(std::int32_t cgiId, std::int32_t errorCode) override;

    std::string ResolveUrl(const std::string& url) const;
    // The kept program cabinet of this size whose bytes match the signature; empty if none.
    std::string KeptCopy(std::int64_t size, const std::string& signature);
    // The kept copy of the job's cabinet expanded into its destination, as step one of every
    // install tries first.
    bool InstallKeptCopy();
    bool StartFetch(const std::string& url);
    void OnDownloadDone(std::uintptr_t serial);
    void OnDownloadFailed(std::uintptr_t serial);
    void OnDownloadProgress(std::uint64_t received, std::uint64_t announced);
    void CompleteProgram(const std::string& cabinet);
    void CompleteDownload(const std::string& file);
    // Ends the job with its one final event.
    void EndJob(std::int32_t event, std::vector<Value> arguments);
    void InstallError(std::int32_t code);
    void RemoveWorkDirectory();
    // A class whose registered server matches `filename`, as the two lookups share.
    std::string FindClassId(const std::string& filename, bool exactSearch, bool controlsOnly);
    void Raise(std::int32_t event, std::vector<Value> arguments);

    Platform& platform_;
    EventSink& events_;
    WindowHandle window_ = 0;
    loader::LocalCache cache_;
    std::unique_ptr<loader::DownloadEngine> engine_;
    loader::SplitDownload split_;
    std::unique_ptr<ServerScripts> scripts_;
    CustomEventSender customEvents_;
    LineList lines_;

    bool busy_ = false;
    bool cancel_ = false;
    std::string pageBase_;
    Job job_;
    Counters counters_;
    std::string fetchedUrl_;     // the URL in transfer: the job's, or one piece's
    std::string workDirectory_;  // where a split set was joined, removed with the job
    std::set<ProcessHandle> started_;
};

}  // namespace vexa::download
