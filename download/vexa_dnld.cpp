#include "download/vexa_dnld.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

#include "cabcodec/expand_into.hpp"
#include "cabcodec/member_name.hpp"
#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/registry_path.hpp"
#include "common/text.hpp"
#include "common/timestamp.hpp"
#include "common/url.hpp"
#include "download/dnld_dispatch.hpp"
#include "download/variable_file.hpp"
#include "signature/signature.hpp"

namespace vexa::download {
namespace {

namespace fs = std::filesystem;


// The engine's messages to the control's window: done, failed, progress.
constexpr loader::DownloadMessages kDnldDownload{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};

enum InstallErrorCode : std::int32_t {
    kCannotExpand = 1,
    kDownloadError = 3,
    kCannotUnsplit = 4,
    kSignatureMismatch = 5,
};

const char* InstallErrorText(std::int32_t code) {
    switch (code) {
        case kCannotExpand: return "Cannot expand Cab file";
        case kCannotUnsplit: return "Cannot unsplit files";
        case kSignatureMismatch: return "Signature does not match";
        default: return "Download error";
    }
}

std::int32_t LongOf(std::uint64_t number) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(number, std::numeric_limits<std::int32_t>::max()));
}

// Truncated, 0 for nothing received and 100 once everything has.
std::int32_t Percent(std::uint64_t part, std::uint64_t whole) {
    if (part == 0) return 0;
    if (part >= whole) return 100;
    return static_cast<std::int32_t>(static_cast<double>(part) / (static_cast<double>(whole) + 0.0000001) * 100);
}

std::string WithSeparator(const std::string& directory) {
    return directory.empty() ? directory : WithTrailingSeparator(directory, kNativeSeparator);
}

// Pages name the predefined root keys by their numbers.
std::optional<RegistryRoot> RootKey(std::int32_t firstKey) {
    switch (static_cast<std::uint32_t>(firstKey)) {
        case 0x80000000u: return RegistryRoot::ClassesRoot;
        case 0x80000001u: return RegistryRoot::CurrentUser;
        case 0x80000002u: return RegistryRoot::LocalMachine;
        default: return std::nullopt;
    }
}

// Whether a file can be made in the directory: a "~vx" temporary file is made and removed.
bool IsWritableDirectory(Files& files, const std::string& directory) {
    auto probe = files.CreateTempFileIn(directory, "~vx");
    if (!probe) return false;
    std::error_code ignored;
    fs::remove(*probe, ignored);
    return true;
}

// The name a plain download is stored under: the last part of the URL's path.
std::string DownloadedFileName(const std::string& url) {
    std::string_view path(url);
    path = path.substr(0, path.find_first_of("?#"));
    return std::string(FileNamePart(path));
}

}  // namespace

VexaDnld::VexaDnld(Platform& platform, EventSink& events)
    : platform_(platform),
      events_(events),
      window_(platform.windows.Create(*this)),
      cache_(platform.files, platform.clock, platform.registry, platform.shell.FolderPath(SpecialFolder::Windows)),
      scripts_(std::make_unique<ServerScripts>(platform.internet, platform.windows, window_,
                                               static_cast<ServerScriptEvents&>(*this))),
      customEvents_(platform.windows) {}

VexaDnld::~VexaDnld() {
    engine_.reset();  // drops a transfer still running and waits for its worker
    scripts_.reset();
    RemoveWorkDirectory();
    for (ProcessHandle process : started_) platform_.processes.Release(process);
    if (window_) platform_.windows.Destroy(window_);
}

// Program install and plain downloads.

void VexaDnld::CancelInstallProgram() { cancel_ = true; }

std::string VexaDnld::ResolveUrl(const std::string& url) const {
    if (pageBase_.empty()) return url;
    return CombineUrl(pageBase_, url).value_or(url);
}

void VexaDnld::SetCurrentUrl(const std::string& urlName) { pageBase_ = PageBaseUrl(urlName); }

std::string VexaDnld::KeptCopy(std::int64_t size, const std::string& signature) {
    std::string kept = loader::LocalCache::KeptProgramEntry(cache_.GetDownloadedProgramsFolder(), size, signature);
    return !kept.empty() && vexa::VerifyFile(platform_.files, kept, signature) ? kept : std::string();
}

bool VexaDnld::InstallKeptCopy() {
    if (job_.destDirectory.empty()) return false;
    std::string kept = KeptCopy(job_.size, job_.signature);
    if (kept.empty()) return false;
    std::error_code error;
    fs::create_directory(job_.destDirectory, error);
    return IsWritableDirectory(platform_.files, job_.destDirectory) &&
           cab::ExpandInto(platform_.files, kept, job_.destDirectory).Done();
}

bool VexaDnld::IsProgCabOnLocal(const std::string&, std::int32_t cabFileSize, const std::string&,
                                const std::string& cabSignature) {
    return !KeptCopy(cabFileSize, cabSignature).empty();
}

bool VexaDnld::InstallProgramIfOnLocal(const std::string& sourceCabUrl, std::int32_t sourceCabSize,
                                       const std::string&, std::int32_t numSplitFiles, std::int32_t,
                                       const std::string& destDirectory, const std::string& cabSignature) {
    if (busy_) return false;
    job_ = {ResolveUrl(sourceCabUrl), sourceCabSize, numSplitFiles, WithSeparator(destDirectory), cabSignature,
            JobKind::Program};
    return InstallKeptCopy();
}

bool VexaDnld::InstallProgram(const std::string& sourceCabUrl, std::int32_t sourceCabSize, const std::string&,
                              std::int32_t numSplitFiles, std::int32_t, const std::string& destDirectory,
                              const std::string& cabSignature) {
    if (busy_) return false;
    job_ = {ResolveUrl(sourceCabUrl), sourceCabSize, numSplitFiles, WithSeparator(destDirectory), cabSignature,
            JobKind::Program};
    if (InstallKeptCopy()) {
        Raise(kDoneInstall, {job_.url});
        return true;
    }
    cancel_ = false;
    std::error_code error;
    if (job_.destDirectory.empty()) return false;
    fs::create_directories(job_.destDirectory, error);
    if (!IsWritableDirectory(platform_.files, job_.destDirectory)) return false;
    counters_ = {0, 0, 0, static_cast<std::uint64_t>(std::max<std::int64_t>(job_.size, 0))};
    if (job_.pieces < 2) return busy_ = StartFetch(job_.url);
    counters_.bytesDone += split_.Begin(cache_, job_.url, job_.pieces, job_.signature);
    busy_ = split_.PiecesLeft() > 0 && StartFetch(split_.NextUrl());
    if (!busy_) split_.Reset();
    return busy_;
}

bool VexaDnld::DownloadFile(const std::string& sourceUrl, const std::string& destDirectory) {
    if (busy_) return false;
    job_ = {ResolveUrl(sourceUrl), 0, 1, WithSeparator(destDirectory), {}, JobKind::RegularDownload};
    cancel_ = false;
    counters_ = {};
    return busy_ = StartFetch(job_.url);
}

bool VexaDnld::StartFetch(const std::string& url) {
    if (!engine_)
        engine_ = std::make_unique<loader::DownloadEngine>(
            loader::DownloadPorts{platform_.files, platform_.clock, platform_.windows, platform_.internet}, window_,
            kDnldDownload, cache_.GetTempFolder());
    counters_.fileBytes = counters_.fileSize = 0;
    fetchedUrl_ = url;
    return engine_->StartDownload(url, loader::DownloadKind::ProgramCabinet);
}

void VexaDnld::OnDownloadProgress(std::uint64_t received, std::uint64_t announced) {
    if (!engine_ || !engine_->Downloading()) return;
    if (cancel_) {
        engine_->DropDownload();
        split_.Reset();
        return EndJob(kInstallWasCanceled, {job_.url});
    }
    engine_->OnProgress(received, announced);
    counters_.bytesDone += received - std::min(received, counters_.fileBytes);
    counters_.fileBytes = received;
    counters_.fileSize = announced;
    if (job_.kind == JobKind::RegularDownload) counters_.total = announced;
    Raise(kProgress, {fetchedUrl_, Percent(received, announced), LongOf(received), LongOf(announced),
                      Percent(counters_.bytesDone, counters_.total), LongOf(counters_.bytesDone),
                      LongOf(counters_.total)});
}

void VexaDnld::OnDownloadDone(std::uintptr_t serial) {
    if (!engine_ || !engine_->EndIsCurrent(serial)) return;
    std::string file = engine_->OnDone();
    if (job_.kind == JobKind::RegularDownload) return CompleteDownload(file);
    if (split_.PiecesLeft() >= 1) {
        if (!split_.PieceArrived(platform_.files, file)) {
            split_.Reset();
            return InstallError(kCannotUnsplit);
        }
        if (split_.PiecesLeft() >= 1) {
            if (!StartFetch(split_.NextUrl())) return InstallError(kDownloadError);
            return;
        }
        const std::string pieceDirectory = split_.Directory();
        file = split_.Join(cache_);
        std::error_code ignored;
        fs::remove(pieceDirectory, ignored);  // only once it is empty
        if (file.empty()) return InstallError(kCannotUnsplit);
        workDirectory_ = std::string(DirectoryPart(file));
    }
    CompleteProgram(file);
}

void VexaDnld::OnDownloadFailed(std::uintptr_t serial) {
    if (!engine_ || !engine_->EndIsCurrent(serial)) return;
    engine_->OnFailed();
    split_.Reset();
    InstallError(kDownloadError);
}

// A cabinet that does not match its signature is never kept.
void VexaDnld::CompleteProgram(const std::string& cabinet) {
    if (!vexa::VerifyFile(platform_.files, cabinet, job_.signature)) return InstallError(kSignatureMismatch);
    cache_.KeepCachedCab(cabinet, loader::CacheKind::Program,
                         {std::string(BareSignature(job_.signature)), !StartsWithIgnoreCase(job_.url, "FILE://")});
    std::error_code error;
    fs::create_directories(job_.destDirectory, error);
    if (!cab::ExpandInto(platform_.files, cabinet, job_.destDirectory).Done()) return InstallError(kCannotExpand);
    EndJob(kDoneInstall, {job_.url});
}

// The file is named after the URL's last part, which must name a file in the directory.
void VexaDnld::CompleteDownload(const std::string& file) {
    std::string name = DownloadedFileName(job_.url);
    std::error_code error;
    fs::create_directory(job_.destDirectory, error);
    if (!cab::IsSafeMemberName(name, 0) || !ReplaceFileWith(platform_.files, file, job_.destDirectory + name))
        return InstallError(kDownloadError);
    EndJob(kDoneInstall, {job_.url});
}

void VexaDnld::InstallError(std::int32_t code) {
    EndJob(kInstallError, {code, std::string(InstallErrorText(code)), job_.url});
}

// Busy clears first, so a handler of the event may start the next job.
void VexaDnld::EndJob(std::int32_t event, std::vector<Value> arguments) {
    busy_ = false;
    RemoveWorkDirectory();
    Raise(event, std::move(arguments));
}

void VexaDnld::RemoveWorkDirectory() {
    if (!workDirectory_.empty()) cache_.RemoveTempTree(workDirectory_);
    workDirectory_.clear();
}

void VexaDnld::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (scripts_ && scripts_->OnMessage(message, wParam)) return;
    if (message == kDnldDownload.done) return OnDownloadDone(wParam);
    if (message == kDnldDownload.failed) return OnDownloadFailed(wParam);
    if (message == kDnldDownload.progress) return OnDownloadProgress(wParam, static_cast<std::uint64_t>(lParam));
}

// Server scripts, variable files, line lists and custom events.

bool VexaDnld::SetCgiField(const std::string& fieldName, const std::string& fieldValue) {
    return scripts_->SetCgiField(fieldName, fieldValue);
}

std::int32_t VexaDnld::SendStringToCgi(const std::string& cgiUrl, const std::string& stringToSend,
                                       const std::string& getOrPost) {
    return scripts_->SendStringToCgi(cgiUrl, stringToSend, getOrPost);
}

std::int32_t VexaDnld::SendFieldsToCgi(const std::string& cgiUrl, const std::string& getOrPost) {
    return scripts_->SendFieldsToCgi(cgiUrl, getOrPost);
}

void VexaDnld::SetUserNameAndPassword(const std::string& userName, const std::string& userPassword) {
    scripts_->SetUserNameAndPassword(userName, userPassword);
}

void VexaDnld::SendStringToCgiDone(std::int32_t cgiId, const std::string& response) {
    Raise(kSendStringToCgiDone, {cgiId, response});
}

void VexaDnld::SendStringToCgiError(std::int32_t cgiId, std::int32_t errorCode) {
    Raise(kSendStringToCgiError, {cgiId, errorCode});
}

bool VexaDnld::PutVarInTextFile(const std::string& varName, const std::string& varValue, const std::string& filename) {
    return download::PutVarInTextFile(platform_.files, varName, varValue, filename);
}

std::string VexaDnld::GetVarFromTextFile(const std::string& varName, const std::string& filename) {
    return download::GetVarFromTextFile(platform_.files, varName, filename);
}

bool VexaDnld::IsVarInTextFile(const std::string& varName, const std::string& filename) {
    return download::IsVarInTextFile(platform_.files, varName, filename);
}

bool VexaDnld::DeleteVarInTextFile(const std::string& varName, const std::string& filename) {
    return download::DeleteVarInTextFile(platform_.files, varName, filename);
}

std::int32_t VexaDnld::TextFileToLines(const std::string& filename, const std::string& separator) {
    return lines_.TextFileToLines(platform_.files, filename, separator);
}

std::int32_t VexaDnld::TextToLines(const std::string& text, const std::string& separator) {
    return lines_.TextToLines(text, separator);
}

std::string VexaDnld::GetTextFileLine(std::int32_t lineNum) { return lines_.GetTextFileLine(lineNum); }

bool VexaDnld::GenerateCustomEvent(std::int32_t hWnd, const std::string& eventName) {
    return customEvents_.GenerateCustomEvent(static_cast<WindowHandle>(static_cast<std::uint32_t>(hWnd)), eventName);
}

// Files, names and paths.

std::string VexaDnld::GetFileLastModifTime(const std::string& filename) {
    auto time = platform_.files.LastWriteTime(filename);
    return time ? FormatTimeStamp14(*time) : std::string();
}

std::int32_t VexaDnld::GetFileSize(const std::string& filename) {
    std::error_code error;
    auto size = fs::file_size(filename, error);
    return error ? 0 : LongOf(size);
}

// "2, 0, 0, 39" reads "2,0,0,39", as scripts carry versions.
std::string VexaDnld::GetFileVersion(const std::string& filename) {
    std::string version;
    for (char c : platform_.components.FileVersion(filename))
        if (c != ' ') version += c == '.' ? ',' : c;
    return version;
}

bool VexaDnld::VerifyFile(const std::string& filename, const std::string& signature) {
    return vexa::VerifyFile(platform_.files, filename, signature);
}

std::string VexaDnld::GenerateFileSignature(const std::string& filename) {
    return vexa::GenerateFileSignature(platform_.files, filename);
}

std::string VexaDnld::Filename2FilenameNoExt(const std::string& filename) {
    return std::string(WithoutExtension(filename));
}

std::string VexaDnld::PathnameToFilename(const std::string& pathname) { return std::string(FileNamePart(pathname)); }

std::string VexaDnld::FullPathnameToPathname(const std::string& fullPathname) {
    return std::string(DirectoryPart(fullPathname));
}

std::string VexaDnld::TextFileToString(const std::string& filename) {
    return vexa::ReadTextFile(platform_.files, filename).value_or("");
}

bool VexaDnld::StringToTextFile(const std::string& str, const std::string& filename) {
    return vexa::WriteTextFile(platform_.files, filename, str);
}

// The result is written beside itself, so it may be one of the two it is made of.
bool VexaDnld::AddFiles(const std::string& filename1, const std::string& filename2,
                        const std::string& resultantFilename) {
    auto result = FileBesideOf(platform_.files, resultantFilename);
    if (!result->CopyFrom(filename1)) return false;
    {
        std::ifstream second(filename2, std::ios::binary);
        std::ofstream out(result->Path(), std::ios::binary | std::ios::app);
        if (!second || !out || !(out << second.rdbuf())) return false;
        out.close();
        if (out.fail()) return false;
    }
    return !result->Commit();
}

bool VexaDnld::CreateDir(const std::string& dirName) {
    std::error_code error;
    return fs::create_directory(dirName, error);
}

// The system's unique temporary name, made by the system as an empty file, less its
// ".tmp", names the directory; when that cannot be made, the name followed by 1 ... 300.
std::string VexaDnld::CreateTempSubDirectory(const std::string& prefix) {
    auto file = platform_.files.CreateTempFile(prefix);
    if (!file || file->size() < 4) return {};
    const std::string stem = file->substr(0, file->size() - 4);
    std::string made;
    std::error_code error;
    for (int k = 0; k <= 300 && made.empty(); ++k) {
        std::string candidate = k == 0 ? stem : stem + std::to_string(k);
        if (fs::create_directory(candidate, error)) made = candidate;
    }
    fs::remove(*file, error);
    return made.empty() ? made : made + kNativeSeparator;
}

std::string VexaDnld::GetWinTempDir() {
    return WithSeparator(platform_.shell.FolderPath(SpecialFolder::Temp));
}

std::string VexaDnld::GetWinDir() { return WithSeparator(platform_.shell.FolderPath(SpecialFolder::Windows)); }

std::string VexaDnld::GetWinSysDir() { return WithSeparator(platform_.shell.FolderPath(SpecialFolder::System)); }

// A drive letter alone ("C:") names the drive's root.
double VexaDnld::GetDriveFreeSpace(const std::string& driveName) {
    std::string folder = driveName.size() == 2 && driveName[1] == ':' ? driveName + kNativeSeparator : driveName;
    auto space = platform_.files.SpaceOfDrive(folder);
    return space ? static_cast<double>(space->freeBytes) : 0.0;
}

// Registry paths and class identifiers.

bool VexaDnld::SetRegistryKeyValue(std::int32_t firstKey, const std::string& subKeysSequence,
                                   const std::string& valueName, const std::string& value) {
    auto root = RootKey(firstKey);
    auto key = SplitRegistryPath(subKeysSequence);
    return root && platform_.registry.CreateKey(*root, key) &&
           platform_.registry.WriteString(*root, key, valueName, value);
}

std::string VexaDnld::GetRegistryKeyValue(std::int32_t firstKey, const std::string& subKeysSequence,
                                          const std::string& valueName) {
    auto root = RootKey(firstKey);
    if (!root) return {};
    return platform_.registry.ReadString(*root, SplitRegistryPath(subKeysSequence), valueName).value_or("");
}

std::string VexaDnld::ClsIdToFilename(const std::string& clsId) {
    return platform_.registry.ReadString(RegistryRoot::ClassesRoot, {"CLSID", clsId, "InprocServer32"}, "")
        .value_or("");
}

std::string VexaDnld::ClsIdToProgId(const std::string& strClsId) {
    return platform_.registry.ReadString(RegistryRoot::ClassesRoot, {"CLSID", strClsId, "ProgID"}, "").value_or("");
}

std::string VexaDnld::GetControlClsId(const std::string& filename, bool bExactSearch) {
    return FindClassId(filename, bExactSearch, true);
}

std::string VexaDnld::GetControlOrDllClsId(const std::string& filename, bool bExactSearch) {
    return FindClassId(filename, bExactSearch, false);
}

// An exact search takes the registered path as it is or as the file's short form; the
// other compares file names only.
std::string VexaDnld::FindClassId(const std::string& filename, bool exactSearch, bool controlsOnly) {
    std::error_code error;
    if (exactSearch && !fs::exists(filename, error)) return {};
    const std::string wanted = ToUpperAnsi(exactSearch ? filename : std::string(FileNamePart(filename)));
    const std::string wantedShort = exactSearch ? ToUpperAnsi(platform_.processes.ShortPath(filename)) : wanted;
    Registry& registry = platform_.registry;
    for (const std::string& clsId : registry.SubKeys(RegistryRoot::ClassesRoot, {"CLSID"})) {
        auto server = registry.ReadString(RegistryRoot::ClassesRoot, {"CLSID", clsId, "InprocServer32"}, "");
        if (!server) continue;
        std::string registered = ToUpperAnsi(exactSearch ? *server : std::string(FileNamePart(*server)));
        if (registered != wanted && registered != wantedShort) continue;
        if (controlsOnly && !registry.KeyExists(RegistryRoot::ClassesRoot, {"CLSID", clsId, "Control"})) continue;
        return clsId;
    }
    return {};
}

bool VexaDnld::RegisterOcxFile(const std::string& ocxFilename) {
    return platform_.components.RegisterServer(ocxFilename);
}

bool VexaDnld::UnregisterOcxFile(const std::string& ocxFilename) {
    return platform_.components.UnregisterServer(ocxFilename);
}

// Processes, the screen, dialogs.

bool VexaDnld::Execute(const std::string& executeCommand) { return platform_.shell.Open(executeCommand); }

// Handles go to the page as longs; only those this control handed out are answered for.
std::int32_t VexaDnld::Execute2(const std::string& executeCommand, const std::string& executeParas, bool bHide) {
    auto started = platform_.processes.Start(executeCommand, executeParas, {},
                                             bHide ? WindowShow::Hidden : WindowShow::Normal);
    if (!started) return 0;
    if (started->process > static_cast<ProcessHandle>(std::numeric_limits<std::int32_t>::max())) {
        platform_.processes.Release(started->process);
        return 0;
    }
    started_.insert(started->process);
    return static_cast<std::int32_t>(started->process);
}

bool VexaDnld::IsExecuting(std::int32_t exeHandle) {
    auto process = static_cast<ProcessHandle>(static_cast<std::uint32_t>(exeHandle));
    return started_.count(process) != 0 && platform_.processes.IsActive(process);
}

std::int32_t VexaDnld::GetNumBitsPerPixel() { return platform_.ui.Screen().bitsPerPixel; }

std::int32_t VexaDnld::GetHorizResolution() { return platform_.ui.Screen().width; }

std::int32_t VexaDnld::GetVertResolution() { return platform_.ui.Screen().height; }

std::string VexaDnld::SelectDirectory(std::int32_t hwndOwner) { return SelectDirectory2(hwndOwner, "Select a directory."); }

std::string VexaDnld::SelectDirectory2(std::int32_t hwndOwner, const std::string& strTitle) {
    return WithSeparator(platform_.ui.SelectFolder(hwndOwner, strTitle).value_or(""));
}

std::string VexaDnld::Cmd(const std::string& strCmd, const std::string& strPar) {
    return EqualsIgnoreCase(strCmd, "LongSigToShortSig") ? LongSigToShortSig(strPar) : std::string();
}

void VexaDnld::AboutBox() {
    platform_.ui.ShowMessage("VexaDnld download control: installs program cabinets, downloads files, posts to "
                             "server scripts.",
                             "About VexaDnld");
}

void VexaDnld::Raise(std::int32_t event, std::vector<Value> arguments) {
    if (const EventEntry* entry = VexaDnldDispatch().FindEvent(event)) events_.Raise(*entry, arguments);
}

}  // namespace vexa::download
