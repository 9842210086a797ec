#include "download/dnld_dispatch.hpp"

namespace vexa::download {
namespace {

constexpr std::int32_t kAboutBoxId = -552;  // the standard about-box dispatch id
constexpr ValueType kString = ValueType::String;
constexpr ValueType kLong = ValueType::Long;

std::vector<MethodEntry<VexaDnld>> Methods() {
    using C = VexaDnld;
    return {
        Method(1, "CancelInstallProgram", &C::CancelInstallProgram),
        Method(2, "GenerateCustomEvent", &C::GenerateCustomEvent, "hWnd", "EventName"),
        Method(3, "GetNumBitsPerPixel", &C::GetNumBitsPerPixel),
        Method(4, "GetHorizResolution", &C::GetHorizResolution),
        Method(5, "GetVertResolution", &C::GetVertResolution),
        Method(6, "InstallProgram", &C::InstallProgram, "SourceCabUrl", "SourceCabSize", "SourceCabLastModifTime",
               "NumSplitFiles", "CabExpandedSize", "DestDirectory", "CabSignature"),
        Method(7, "IsProgCabOnLocal", &C::IsProgCabOnLocal, "ProgCabUrl", "CabFileSize", "CabLastModifTime",
               "CabSignature"),
        Method(8, "GetFileLastModifTime", &C::GetFileLastModifTime, "Filename"),
        Method(9, "GetFileSize", &C::GetFileSize, "Filename"),
        Method(10, "GetFileVersion", &C::GetFileVersion, "Filename"),
        Method(11, "VerifyFile", &C::VerifyFile, "Filename", "Signature"),
        Method(12, "GenerateFileSignature", &C::GenerateFileSignature, "Filename"),
        Method(13, "Filename2FilenameNoExt", &C::Filename2FilenameNoExt, "Filename"),
        Method(15, "CreateTempSubDirectory", &C::CreateTempSubDirectory, "Prefix"),
        Method(16, "GetControlClsId", &C::GetControlClsId, "Filename", "bExactSearch"),
        Method(17, "SetRegistryKeyValue", &C::SetRegistryKeyValue, "FirstKey", "SubKeysSequence", "ValueName",
               "Value"),
        Method(18, "GetRegistryKeyValue", &C::GetRegistryKeyValue, "FirstKey", "SubKeysSequence", "ValueName"),
        Method(19, "ClsIdToFilename", &C::ClsIdToFilename, "ClsId"),
        Method(20, "InstallProgramIfOnLocal", &C::InstallProgramIfOnLocal, "SourceCabUrl", "SourceCabSize",
               "SourceCabLastModifTime", "NumSplitFiles", "CabExpandedSize", "DestDirectory", "CabSignature"),
        Method(21, "SetCurrentUrl", &C::SetCurrentUrl, "UrlName"),
        Method(22, "TextFileToString", &C::TextFileToString, "Filename"),
        Method(23, "PathnameToFilename", &C::PathnameToFilename, "Pathname"),
        Method(24, "StringToTextFile", &C::StringToTextFile, "Str", "Filename"),
        Method(25, "SetCgiField", &C::SetCgiField, "FieldName", "FieldValue"),
        Method(26, "SendStringToCgi", &C::SendStringToCgi, "CgiUrl", "StringToSend", "GetOrPost"),
        Method(27, "SendFieldsToCgi", &C::SendFieldsToCgi, "CgiUrl", "GetOrPost"),
        Method(28, "SelectDirectory", &C::SelectDirectory, "hwndOwner"),
        Method(29, "GetWinTempDir", &C::GetWinTempDir),
        Method(30, "GetDriveFreeSpace", &C::GetDriveFreeSpace, "DriveName"),
        Method(31, "FullPathnameToPathname", &C::FullPathnameToPathname, "FullPathname"),
        Method(32, "DownloadFile", &C::DownloadFile, "SourceUrl", "DestDirectory"),
        Method(33, "SelectDirectory2", &C::SelectDirectory2, "hwndOwner", "strTitle"),
        Method(34, "AddFiles", &C::AddFiles, "Filename1", "Filename2", "ResultantFilename"),
        Method(35, "Execute", &C::Execute, "ExecuteCommand"),
        Method(36, "RegisterOcxFile", &C::RegisterOcxFile, "OcxFilename"),
        Method(37, "UnregisterOcxFile", &C::UnregisterOcxFile, "OcxFilename"),
        Method(38, "SetUserNameAndPassword", &C::SetUserNameAndPassword, "UserName", "UserPassword"),
        Method(39, "GetControlOrDllClsId", &C::GetControlOrDllClsId, "Filename", "bExactSearch"),
        Method(40, "ClsIdToProgId", &C::ClsIdToProgId, "strClsId"),
        Method(41, "Cmd", &C::Cmd, "strCmd", "strPar"),
        Method(42, "IsExecuting", &C::IsExecuting, "ExeHandle"),
        Method(43, "Execute2", &C::Execute2, "ExecuteCommand", "ExecuteParas", "bHide"),
        Method(44, "GetWinDir", &C::GetWinDir),
        Method(45, "GetWinSysDir", &C::GetWinSysDir),
        Method(46, "CreateDir", &C::CreateDir, "DirName"),
        Method(47, "TextFileToLines", &C::TextFileToLines, "Filename", "Separator"),
        Method(48, "GetTextFileLine", &C::GetTextFileLine, "LineNum"),
        Method(49, "PutVarInTextFile", &C::PutVarInTextFile, "VarName", "VarValue", "Filename"),
        Method(50, "GetVarFromTextFile", &C::GetVarFromTextFile, "VarName", "Filename"),
        Method(51, "IsVarInTextFile", &C::IsVarInTextFile, "VarName", "Filename"),
        Method(52, "DeleteVarInTextFile", &C::DeleteVarInTextFile, "VarName", "Filename"),
        Method(53, "TextToLines", &C::TextToLines, "Text", "Separator"),
        Method(kAboutBoxId, "AboutBox", &C::AboutBox),
    };
}

std::vector<EventEntry> Events() {
    return {
        {kProgress,
         "Progress",
         {{"CurrentFilename", kString},
          {"CurrentFilePercentProgress", kLong},
          {"CurrentFileByteProgress", kLong},
          {"CurrentFileNumBytes", kLong},
          {"OverallPercentProgress", kLong},
          {"OverallByteProgress", kLong},
          {"OverallNumBytes", kLong}}},
        {kDoneInstall, "DoneInstall", {{"Url", kString}}},
        {kInstallWasCanceled, "InstallWasCanceled", {{"Filename", kString}}},
        {kInstallError, "InstallError", {{"ErrorCode", kLong}, {"ErrorMessage", kString}, {"ErrorPara", kString}}},
        {kMiscEvent, "MiscEvent", {{"EventName", kString}}},
        {kSendStringToCgiDone, "SendStringToCgiDone", {{"CgiId", kLong}, {"CgiResponse", kString}}},
        {kSendStringToCgiError, "SendStringToCgiError", {{"CgiId", kLong}, {"ErrorCode", kLong}}},
    };
}

}  // namespace

const DispatchTable<VexaDnld>& VexaDnldDispatch() {
    static const DispatchTable<VexaDnld> table(Methods(), Events());
    return table;
}

}  // namespace vexa::download
