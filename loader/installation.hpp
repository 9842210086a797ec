#pragma once
// What the loader decides and does for each install line: whether a library or control is
// needed, whether a kept program cabinet can be used, whether the disks have room, and how
// an arrived file is put in place: copied, registered, expanded, or replaced at the next
// restart when it is in use.

#include <cstdint>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "loader/cache.hpp"
#include "loader/component_placement.hpp"
#include "loader/install_line.hpp"
#include "loader/script.hpp"
#include "platform/components.hpp"
#include "platform/files.hpp"
#include "platform/registry.hpp"
#include "platform/shell.hpp"

namespace vexa::loader {

// What a question about a program cabinet assumes of a kept copy still being checked.
enum class WhilePending { Wait, AssumeSound, AssumeSpoilt };

struct InstallPorts {
    Files& files;
    Components& components;
    Registry& registry;
    Shell& shell;
};

class Installation {
public:
    Installation(InstallPorts ports, LocalCache& cache);

    // The disks must hold what the script will fetch and expand: empty, or the error text.
    // Starts checking the kept copies of the script's program cabinets, in the background.
    std::string CheckDiskSpace(const ScriptLines& lines);
    // Where the library or control goes; empty when an equal or newer one is in place.
    std::string NeedDll(const std::string& fileName, const std::string& version) {
        return placement_.NeedDll(fileName, version);
    }
    std::string NeedControl(const std::string& classId, const std::string& version, const std::string& fileName) {
        return placement_.NeedControl(classId, version, fileName);
    }
    // A kept copy of the program cabinet with this size and signature; empty if none.
    std::string FindCachedProgram(const std::string& url, std::int64_t size, const std::string& signature);
    // Whether the line's file has to be downloaded.
    bool MustFetch(const InstallLine& line, WhilePending pending = WhilePending::Wait);
    bool KeptChecksPending() const;

    // Puts an arrived library or control (a cabinet holding it, or the file itself) in
    // place. Empty, or the error text.
    std::string InstallComponent(const InstallLine& line, const std::string& arrived);
    // Checks an arrived program cabinet against the line's signature and keeps a copy.
    // Empty, or the error text.
    std::string AcceptProgram(const InstallLine& line, const std::string& arrived);
    // Expands a program cabinet into the product directory or the line's sub-directory.
    std::string ExpandProgram(const InstallLine& line, const std::string& cabinet, const std::string& productDirectory);

    // Copies over the target; a target in use is replaced at the next restart instead.
    bool InstallFile(const std::string& source, const std::string& target) { return Place(source, target) != Placement::Failed; }
    bool RebootNeeded() const { return rebootNeeded_; }
    // Forgets what the last run learnt: the reboot request and the kept copies checked.
    void BeginRun();
    bool RestartWindows() { return ports_.components.Restart(); }

private:
    static std::string KeptKey(std::int64_t size, const std::string& signature);
    // Starts checking the kept copies of all the script's program cabinets at once.
    void CheckKeptPrograms(const ScriptLines& lines);
    std::string SpaceShortage(const ScriptLines& lines, WhilePending pending);
    Placement Place(const std::string& source, const std::string& target);
    // Installs `file` (the library or control itself) to the target its own version asks for.
    std::string InstallComponentFile(const InstallLine& line, const std::string& file, bool expanded);
    std::string NeedComponent(const InstallLine& line, const std::string& version);

    InstallPorts ports_;
    ComponentPlacement placement_;
    LocalCache& cache_;
    bool rebootNeeded_ = false;
    // A run asks about each kept cabinet several times (disk space, total, the line itself):
    // a kept copy is found and checked once per run. Entries are named by their content, so
    // the answer holds for the whole run. By size and signature: the checked entry, or empty
    // when it did not match; an answer may still be on its way.
    std::map<std::string, std::shared_future<std::string>> keptPrograms_;
    // The threads checking kept copies; they finish before the installation goes away.
    std::vector<std::jthread> checkers_;
};

}  // namespace vexa::loader
