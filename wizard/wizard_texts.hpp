#pragma once
// The wizard's own texts: captions, progress lines and messages, word for word.

namespace vexa::wizard::texts {

inline constexpr const char* kTitle = "VexaWeb Express Wizard";
inline constexpr const char* kLoaderOcx = "VexaLoad.ocx";
inline constexpr const char* kLoaderCab = "VexaLoad.cab";
inline constexpr const char* kStandAloneStub = "VexaStandAloneWebProg.exe";
inline constexpr const char* kTemplate = "Template01.htm";
inline constexpr const char* kTemplateFolder = "HtmlTemplates";
inline constexpr const char* kProjectFolder = "VexaWizardWebExpressProject";
inline constexpr const char* kCrLf = "\r\n";

// Start-up, steps and Finish.
inline constexpr const char* kMustReside = "  must reside in the ";
inline constexpr const char* kNoWebSite =
    "Before advancing to the next step, you must type the URL address of your web site. If you are only "
    "experimenting locally, you can type: ";
inline constexpr const char* kCannotCreateProjectDir = "Error. Cannot create project directory: ";
inline constexpr const char* kUpdatingReleaseFiles = "Updating Release Files";
inline constexpr const char* kDeleteReleaseFiles =
    "Continuing will delete all the current files in the Release directories: ";
inline constexpr const char* kReleaseUpdated =
    "The Release directories will be updated with new updated files. Do you wish to continue?";
inline constexpr const char* kCannotDeleteFiles = "Error. Cannot delete files in directory: ";

// File selection.
inline constexpr const char* kSelectDirectory = "Select the directory:";
inline constexpr const char* kNoWizardDirectory = "Error. You cannot select a VexaWizard directory.";
inline constexpr const char* kSelectionCanceled = "Files Selection canceled.";
inline constexpr const char* kSelectionCanceledTitle = "Files Selection Canceled";
inline constexpr const char* kEmptyDirectory =
    "The directory you selected has no files in it. You must select a directory that is not empty.";
inline constexpr const char* kEmptyDirectoryTitle = "Empty Directory";
inline constexpr const char* kListingCanceled = "Files listing canceled.";
inline constexpr const char* kListingCanceledTitle = "Files Listing Canceled";
inline constexpr const char* kNoExe =
    "The directory you selected does not contain any EXE files. You must select a directory that contains at "
    "least one EXE file. You can also select a directory whose sub-directories contain at least one EXE file.";
inline constexpr const char* kNoExeTitle = "No Exe File Found";
inline constexpr const char* kOcxFilter = "OCX files (*.ocx)|*.ocx|DLL files (*.dll)|*.dll|All files (*.*)|*.*||";
inline constexpr const char* kDllFilter = "DLL files (*.dll)|*.dll|All files (*.*)|*.*||";
inline constexpr const char* kNoSuchFile = "Error. Selected file does not exist.";
inline constexpr const char* kAlreadyInList = "The file you selected is already in the list.";
inline constexpr const char* kAlreadyInDllList = "The file you selected is already in the DLL list.";
inline constexpr const char* kAlreadyInOcxList = "The file you selected is already in the OCX list.";

// Cabinets.
inline constexpr const char* kAddingToImage = "Adding files to Cab image...";
inline constexpr const char* kAdditionCanceled = "Files Addition to Cab Image canceled.";
inline constexpr const char* kCannotCreateCab = "Error. Cannot create cab file.";
inline constexpr const char* kCannotCreateCabFile = "Error. Cannot create cab file: ";
inline constexpr const char* kCabCancelled = "Error. Cab creation cancelled by user.";
inline constexpr const char* kCannotSignCab = "Error. Cannot generate signature of cab file: ";

// Script, page, names, signing and the stand-alone program.
inline constexpr const char* kCannotCreateFile = "Error. Cannot create file: ";
inline constexpr const char* kEndOfScript = "'''''''''''''''' end of script ''''''''''''''''''";
inline constexpr const char* kHtmlInvalid = "Error. You specified an invalid filename for the resultant HTML file. ";
inline constexpr const char* kExeInvalid =
    "Error. You specified an invalid filename for the resultant stand-alone EXE file. ";
inline constexpr const char* kForbiddenCharacters =
    "A filename cannot contain any of the following characters: \\/:*?\"<>|";
inline constexpr const char* kSigningCanceled = "Signing commands canceled.";
inline constexpr const char* kCannotCreateStandAlone = "Error. Cannot create stand-alone exe file: ";

}  // namespace vexa::wizard::texts
