#pragma once
// The installer's one dialog as an object without a screen: what it shows, what its
// buttons do, and the installation its worker carries out. A host (the Windows dialog, the
// console) shows the fields, asks the questions only it can ask, and runs the worker on a
// thread of its own; everything else is here.

#include <atomic>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "installer/attachment.hpp"
#include "loader/script.hpp"
#include "platform/platform.hpp"

namespace vexa::installer {

// What only the host can show or ask. The status, Cancel and Finished calls come from
// the worker's thread.
class InstallerHost {
public:
    virtual ~InstallerHost() = default;
    // The password dialog, topmost; nullopt for its Cancel.
    virtual std::optional<std::string> AskPassword() = 0;
    // The directory chooser; a full directory path, or nullopt for its Cancel.
    virtual std::optional<std::string> ChooseDirectory() = 0;
    // The status box shows `log`, scrolled down by `linesAppended` lines.
    virtual void StatusChanged(const std::string& log, int linesAppended) = 0;
    virtual void EnableCancel(bool enabled) = 0;
    // The worker's last act: the host ends the dialog on its own thread.
    virtual void Finished() = 0;
};

// What the user's choices and the script resolve to; the dialog's state.
struct InstallState {
    std::string productName;
    std::string destination;        // the Destination Folder field
    std::string installDirectory;   // set when Install is pressed; ends in a separator
    std::string productFolderName;  // the last level of the product directory, with a separator
    std::string programGroupPath;   // ends in a separator, or empty
    std::string programGroupDisplay = "(none)";
    std::string temporaryDirectory;  // the expansion directory; ends in a separator
    ScriptLines scriptLines;
    std::vector<std::string> installedFiles;
    std::vector<std::string> previousInstallation;  // the record of an earlier installation
    std::atomic<bool> installing = false;
    std::atomic<bool> reboot = false;
    std::string statusText;  // what the status box shows on cancel
};

class VexaInstall {
public:
    // `ownPath` is the setup program's file; its attachment starts at `attachmentOffset`.
    VexaInstall(Platform& platform, InstallerHost& host, std::string ownPath, std::uint64_t attachmentOffset);
    ~VexaInstall();
    VexaInstall(const VexaInstall&) = delete;
    VexaInstall& operator=(const VexaInstall&) = delete;

    // The dialog's initialisation. False when the program ends: after a message, after
    // the user refused the certificate or cancelled the password.
    bool StartUp();
    const InstallState& State() const { return state_; }

    // Change Folder.
    void ChangeFolder();
    // The Install button's checks on the dialog's thread. True when the host is to hide
    // the destination and group boxes, show the status box and run RunInstallation on a
    // thread of its own; false leaves the dialog waiting, Install enabled again.
    bool PressInstall();
    // The worker routine. Its last act is the host's Finished.
    void RunInstallation();
    // The Cancel button. True when the program is to end now (nothing was installing).
    bool PressCancel();

    // The pieces, public for their tests.
    std::string ResolveProductDirectory(const std::string& setting);
    // The product folder name, or empty when the setting names no folder below a root.
    static std::string ProductFolderName(const std::string& setting);
    void ResolveProgramGroup(const std::string& setting);
    bool CheckTrust();
    std::string CheckDiskSpace();
    std::string InstallDll(std::size_t line);
    std::string InstallOcx(std::size_t line);
    std::string InstallProgramCab(std::size_t line);
    std::string RunExecuteStep();
    void AddStatusLine(const std::string& text);
    // Part of the closing steps: shortcuts, uninstall program and its registration.
    void CreateProgramGroups();
    void PlaceUninstallProgram();
    bool CheckPreviousInstallation();
    void RemovePreviousInstallation();

private:
    bool AskForPassword(const std::string& setting);
    CabinetFile Attachment() const { return {ownPath_, attachmentOffset_}; }
    std::string FlagPath(std::string_view name) const;
    // Stops start-up with `message` after removing the expansion directory.
    bool Stop(std::string_view message);
    // The cabinet of program line `line` taken out of the attachment: the path, or empty.
    std::string ProgramMember(std::size_t line, const std::string& member);
    // Takes out the next line's program cabinet on a thread of its own while line `line`
    // expands, when the next install line is a program line of another cabinet.
    void PrefetchAfter(std::size_t line, const std::string& member);
    void WaitForPrefetch();

    struct Prefetch {
        std::size_t line = 0;
        std::future<std::vector<std::string>> paths;  // empty when it could not be taken out
    };

    Platform& platform_;
    InstallerHost& host_;
    std::string ownPath_;
    std::uint64_t attachmentOffset_;
    InstallState state_;
    std::string statusLog_;
    int statusLines_ = 0;
    Prefetch prefetch_;
};

}  // namespace vexa::installer
