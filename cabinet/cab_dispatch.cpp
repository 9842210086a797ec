#include "cabinet/cab_dispatch.hpp"

namespace vexa {
namespace {

constexpr std::int32_t kAboutBoxId = -552;  // the standard about-box dispatch id

constexpr ValueType kString = ValueType::String;
constexpr ValueType kLong = ValueType::Long;

std::vector<MethodEntry<VexaCB>> Methods() {
    using C = VexaCB;
    return {
        Method(1, "SelectFiles", &C::SelectFiles, "Filter", "RecurseSubdirectories", "MaxNumSubDirectories"),
        Method(2, "GetNumSelectedFiles", &C::GetNumSelectedFiles),
        Method(3, "GetNumSelectedDirectories", &C::GetNumSelectedDirectories),
        Method(4, "DisplaySelectDirectoryDialog", &C::DisplaySelectDirectoryDialog, "hwndOwner", "strTitle"),
        Method(5, "GetSelectedFile", &C::GetSelectedFile, "Index"),
        Method(6, "GetSelectedDirectory", &C::GetSelectedDirectory, "Index"),
        Method(7, "ClearFilesSelection", &C::ClearFilesSelection),
        Method(8, "AddFileToCabImage", &C::AddFileToCabImage, "SourceFilename", "FilenameInCab"),
        Method(9, "ClearCabImage", &C::ClearCabImage),
        Method(10, "CancelMakeCabFile", &C::CancelMakeCabFile),
        Method(11, "GetNumFilesInCab", &C::GetNumFilesInCab),
        Method(12, "GetFilenameInCab", &C::GetFilenameInCab, "Index"),
        Method(13, "SkipFileInCab", &C::SkipFileInCab, "Index", "Skip"),
        Method(14, "ExpandCabFile", &C::ExpandCabFile, "DestDirectory"),
        Method(15, "OpenCabForExpansion", &C::OpenCabForExpansion, "CabFilename"),
        Method(16, "MakeCabFile", &C::MakeCabFile, "CabFilename", "CertificateSize"),
        Method(17, "CancelExpandCabFile", &C::CancelExpandCabFile),
        Method(18, "OverwriteExistingFile", &C::OverwriteExistingFile, "OverwriteFlag"),
        Method(19, "Cab2Exe", &C::Cab2Exe, "CabFilename", "ExeFilename"),
        Method(20, "Filename2FilenameNoExt", &C::Filename2FilenameNoExt, "Filename"),
        Method(21, "FullPathname2Filename", &C::FullPathname2Filename, "FullPathname"),
        Method(22, "FullPathname2Pathname", &C::FullPathname2Pathname, "FullPathname"),
        Method(23, "IsFile", &C::IsFile, "Filename"),
        Method(24, "ReplaceStringAllOccurrences", &C::ReplaceStringAllOccurrences, "SourceString", "FindSubString",
               "ReplacementSubString"),
        Method(25, "RegisterOcxFile", &C::RegisterOcxFile, "OcxFilename"),
        Method(26, "UnregisterOcxFile", &C::UnregisterOcxFile, "OcxFilename"),
        Method(27, "SetCabSourceFilesToArchive", &C::SetCabSourceFilesToArchive, "bSetSourceFilesToArchive"),
        Method(28, "DisplaySelectFileDialog", &C::DisplaySelectFileDialog, "DefaultFileExt", "Filter"),
        Method(29, "SplitFile", &C::SplitFile, "Filename", "NumSplits"),
        Method(30, "GetFileLastModifTime", &C::GetFileLastModifTime, "Filename"),
        Method(31, "SetFileLastModifTime", &C::SetFileLastModifTime, "Filename", "ModifTime"),
        Method(32, "TextFileToString", &C::TextFileToString, "Filename"),
        Method(33, "StringToTextFile", &C::StringToTextFile, "strString", "Filename"),
        Method(34, "Execute", &C::Execute, "ExecuteCommand"),
        Method(35, "DisplaySelectFileDialog2", &C::DisplaySelectFileDialog2, "DefaultFileExt", "Filter", "DialogTitle",
               "DefaultFilename"),
        Method(36, "DisplaySaveAsDialog", &C::DisplaySaveAsDialog, "DefaultFileExt", "Filter", "DialogTitle",
               "DefaultFilename"),
        Method(kAboutBoxId, "AboutBox", &C::AboutBox),
    };
}

std::vector<EventEntry> Events() {
    return {
        {kMiscEvent, "MiscEvent", {{"EventName", kString}}},
        {kMakeCabDone,
         "MakeCabDone",
         {{"CabFilename", kString}, {"NumUncompressedBytes", kLong}, {"NumCompressedBytes", kLong}}},
        {kMakeCabError, "MakeCabError", {{"CabFilename", kString}}},
        {kMakeCabProgress,
         "MakeCabProgress",
         {{"CabFilename", kString},
          {"CurrentFileInCab", kString},
          {"NumUncompressedBytes", kLong},
          {"NumCompressedBytes", kLong}}},
        {kMakeCabCancel, "MakeCabCancel", {{"CabFilename", kString}}},
        {kExpandCabError, "ExpandCabError", {{"CabFilename", kString}, {"ExpansionDirectory", kString}}},
        {kExpandCabProgress,
         "ExpandCabProgress",
         {{"CabFilename", kString},
          {"ExpansionDirectory", kString},
          {"CurrentFileInCab", kString},
          {"CurrentDestinationFile", kString}}},
        {kExpandCabOverwriteExistingFile,
         "ExpandCabOverwriteExistingFile",
         {{"CabFilename", kString}, {"ExistingFile", kString}}},
        {kExpandCabCancel,
         "ExpandCabCancel",
         {{"CabFilename", kString}, {"ExpansionDirectory", kString}, {"NumExtractedFiles", kLong}}},
        {kExpandCabDone,
         "ExpandCabDone",
         {{"CabFilename", kString}, {"ExpansionDirectory", kString}, {"NumExtractedFiles", kLong}}},
    };
}

}  // namespace

const DispatchTable<VexaCB>& VexaCBDispatch() {
    static const DispatchTable<VexaCB> table(Methods(), Events());
    return table;
}

}  // namespace vexa
