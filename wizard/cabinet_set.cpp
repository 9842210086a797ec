// The release's cabinets: the program cabinets of either packing mode, the one-file
// cabinets of the components, their names, and clearing the release directories.

#include <filesystem>

#include "common/file_name.hpp"
#include "common/text.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {

namespace fs = std::filesystem;
using namespace texts;

namespace {

constexpr std::int32_t kBatch = 200;  // list entries between looks at the window

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Every file of the folder, one by one; its sub-directories stay.
bool DeleteFilesIn(const std::string& directory) {
    std::error_code error;
    if (!fs::exists(directory, error)) return !error;
    for (fs::directory_iterator it(directory, error), end; it != end; it.increment(error)) {
        if (error) return false;
        if (it->is_directory(error) && !it->is_symlink(error)) continue;
        if (!fs::remove(it->path(), error)) return false;
    }
    return !error;
}

}  // namespace

bool VexaWebExpress::DeleteAllFilesInReleaseDirectory() {
    return DeleteFilesIn(ReleaseDir) && DeleteFilesIn(ReleaseActiveXDir);
}

bool VexaWebExpress::CreateSingleProgramCabFile() {
    KeepWorking = true;
    AppendProgress(kAddingToImage);
    DoEvents();
    VexaCB1().ClearCabImage();
    for (int i = 0; i < List1.size(); ++i) {
        const CheckedEntry& entry = List1.entries[i];
        if (entry.checked) VexaCB1().AddFileToCabImage(ProgramFilePath(entry.text), entry.text);
        if ((i + 1) % kBatch != 0) continue;
        DoEvents();
        if (!KeepWorking) {
            Message(kAdditionCanceled);
            return false;
        }
    }
    CabErrorMessage.clear();
    const std::string cabinet = ReleaseDir + "Prog1.cab";
    ProgramCabPaths = {cabinet};
    ProgramCabSubDirs = {""};
    if (!VexaCB1().MakeCabFile(cabinet, 0)) {
        Message(kCannotCreateCab);
        KeepWorking = false;
        return false;
    }
    if (WaitForCabJob()) return true;
    Message(CabErrorMessage);
    return false;
}

bool VexaWebExpress::CreateProgramCabFiles() {
    ProgramCabPaths.clear();
    ProgramCabSubDirs.clear();
    for (const CheckedEntry& entry : List1.entries) {
        if (!entry.checked) continue;
        const std::string source = ProgramFilePath(entry.text);
        const std::string cabinet = VexaGenerateUniqueCabFilename(source, ReleaseDir);
        ProgramCabPaths.push_back(cabinet);
        ProgramCabSubDirs.push_back(VexaCB1().FullPathname2Pathname(entry.text));
        const std::string error = VexaCreateCabFromOneFile(cabinet, source, 0);
        if (!error.empty()) {
            Message(error);
            return false;
        }
        VexaCB1().SetFileLastModifTime(cabinet, VexaCB1().GetFileLastModifTime(source));
    }
    return true;
}

// "Eagle.wav" gives "eagleWAV.cab", then "eagleWAV2.cab", "eagleWAV3.cab"; a name without
// an extension gives its base alone ("readme.cab").
std::string VexaWebExpress::VexaGenerateUniqueCabFilename(const std::string& source,
                                                          const std::string& targetDirectory) {
    const std::string name = VexaCB1().FullPathname2Filename(source);
    const std::string base = VexaCB1().Filename2FilenameNoExt(name);
    const std::string extension = base.size() < name.size() ? name.substr(base.size() + 1) : std::string();
    std::string suffix;
    for (int n = 1;; suffix = std::to_string(++n)) {
        std::string candidate = ToLowerAnsi(base) + ToUpperAnsi(extension) + suffix + ".cab";
        candidate = VexaCB1().ReplaceStringAllOccurrences(candidate, " ", "_");
        if (!Exists(targetDirectory + candidate)) return targetDirectory + candidate;
    }
}

std::string VexaWebExpress::VexaGenerateCabFilename(const std::string& source, const std::string& targetDirectory) {
    return targetDirectory + VexaCB1().Filename2FilenameNoExt(VexaCB1().FullPathname2Filename(source)) + ".Cab";
}

std::string VexaWebExpress::VexaCreateCabFromOneFile(const std::string& cabinet, const std::string& source,
                                                     std::int32_t reserve) {
    KeepWorking = true;
    VexaCB1().ClearCabImage();
    VexaCB1().AddFileToCabImage(source, VexaCB1().FullPathname2Filename(source));
    CabErrorMessage.clear();
    if (!VexaCB1().MakeCabFile(cabinet, reserve)) {
        KeepWorking = false;
        return kCannotCreateCabFile + cabinet + " from file: " + source;
    }
    WaitForCabJob();
    return CabErrorMessage;
}

}  // namespace vexa::wizard
