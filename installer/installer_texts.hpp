#pragma once
// What the installer says to its user, word for word. Every host shows these.

#include <string_view>

namespace vexa::installer {

inline constexpr std::string_view kCaption = "VexaInstall";
inline constexpr std::string_view kNoGroup = "(none)";

// Start-up.
inline constexpr std::string_view kCannotOpenOwn = "Error. Cannot open the self-extract EXE file: ";
inline constexpr std::string_view kOwnEmpty = "Error. Self-extract EXE file is empty.";
inline constexpr std::string_view kNoExpansionDirectory = "Error. Cannot create temporary expansion directory.";
inline constexpr std::string_view kNoScriptInAttachment = "Error. Cannot extract script from self-extract EXE file.";
inline constexpr std::string_view kCannotLoadScript = "Error. Cannot load script to memory.";
inline constexpr std::string_view kNoTrustLibrary =
    "The certificate of this Installation program cannot be displayed because the DLL file WinTrust.DLL cannot be "
    "loaded. Would you like to run this installation program anyhow?";
inline constexpr std::string_view kWrongPassword = "Wrong password!";
inline constexpr std::string_view kNoProductName = "Script Error. Product name was not specified.";
inline constexpr std::string_view kNoProductDirectory = "Script Error. Product directory was not specified.";
inline constexpr std::string_view kNoSubDirectory =
    "Script Error. Invaid product directory. Product directory name must include sub-directory.";

// The installation.
inline constexpr std::string_view kCannotCreateDirectory = "Error: Cannot create directory ";
inline constexpr std::string_view kRemovingPrevious = "Removing previous installation of this program";
inline constexpr std::string_view kCreatingGroups = "Creating Program Groups";
inline constexpr std::string_view kCreatingUninstall = "Creating Uninstall Program";
inline constexpr std::string_view kInstallationCompleted = "Installation completed";
inline constexpr std::string_view kInstalling = "Installing ";
inline constexpr std::string_view kRebootQuestion =
    "To complete the Installation, you must re-boot your computer. Would you like to re-boot your computer now?";
inline constexpr std::string_view kCancelQuestion = "Are you sure you want to cancel this installation?";
inline constexpr std::string_view kCancelling = "Canceling installation. Please wait...";
inline constexpr std::string_view kNoExecuteLine = "Script Error. Program filename specified in script is null.";
inline constexpr std::string_view kCannotExecute = "Error. Cannot execute ";
inline constexpr std::string_view kPreviousFound = "A previous installation of this program was found in directory: ";
inline constexpr std::string_view kPreviousQuestion =
    "Continuing will remove the previous installation of this program. Would you like to continue?";
// The disk-space message, in its pieces: drive, required and available bytes go between them.
inline constexpr std::string_view kInsufficientSpace = "Error: Insufficient disk space on drive ";
inline constexpr std::string_view kSpaceRequired = " for this installation. Space required is: ";
inline constexpr std::string_view kSpaceAvailable = " bytes. Space available is: ";
inline constexpr std::string_view kSpaceEnd = " bytes. ";
// The install steps' failures; names go after them (or between them).
inline constexpr std::string_view kCannotExtract = "Error. Cannot extract ";
inline constexpr std::string_view kFromAttachment = " from self-extract EXE file.";
inline constexpr std::string_view kFrom = " from ";
inline constexpr std::string_view kCannotInstallDll = "Error. Cannot install DLL ";
inline constexpr std::string_view kCannotInstallOcx = "Error. Cannot install OCX ";
inline constexpr std::string_view kCannotCreateSubDirectory = "Cannot create sub-directory ";
inline constexpr std::string_view kToExpand = " to expand: ";
inline constexpr std::string_view kCannotExpand = "Error. Cannot expand CAB file: ";

// The uninstall program; the product name goes before the done text, the directory
// between the question's pieces, and a path after the cannot-open text.
inline constexpr std::string_view kUninstallCaption = "Uninstall";
inline constexpr std::string_view kCannotOpenUninstall = "Error. Cannot open the uninstall program's own file: ";
inline constexpr std::string_view kNoInstallationRecord =
    "This program carries no installation record: there is nothing for it to remove.";
inline constexpr std::string_view kRemoveQuestion = "Remove ";
inline constexpr std::string_view kRemoveQuestionFrom = " and all of its files from ";
inline constexpr std::string_view kUninstallDone = " has been removed.";
inline constexpr std::string_view kLeftUntilRestart =
    "These could not be removed now; they will be removed when the computer restarts:";
inline constexpr std::string_view kLeftInPlace = "These could not be removed:";

// The fixed names.
inline constexpr std::string_view kScriptName = "Script.TXT";
inline constexpr std::string_view kUninstallName = "Uninstall.EXE";
inline constexpr std::string_view kCancelFlag = "~cancel.flg";
inline constexpr std::string_view kPauseFlag = "~pause.flg";
inline constexpr std::string_view kTempPrefix = "~vx";

// The registry: levels below HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kInstalledProgramsKey = "SOFTWARE->Brindell Install->Installed Programs";
inline constexpr std::string_view kUninstallKey = "SOFTWARE->Microsoft->Windows->CurrentVersion->Uninstall";
inline constexpr std::string_view kCurrentVersionKey = "SOFTWARE->Microsoft->Windows->CurrentVersion";

}  // namespace vexa::installer
