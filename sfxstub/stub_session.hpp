#pragma once
// The stub from start to end: its attached cabinet copied to a temporary file and listed,
// expansions into the folders the user picks, and the temporary file removed at the end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.hpp"
#include "sfxstub/expansion.hpp"
#include "sfxstub/stub_ui.hpp"

namespace vexa::sfx {

// The program's own path from its command line: the text between a leading double quote
// and the line's last double quote, else the whole line.
std::string OwnPathOf(std::string_view commandLine);

class StubSession {
public:
    // `ownPath` is the program's own file as its command line names it; the cabinet is
    // attached to it at `attachmentOffset`, the stub's own size.
    StubSession(Files& files, StubUi& ui, std::string ownPath, std::uint64_t attachmentOffset);
    ~StubSession();
    StubSession(const StubSession&) = delete;
    StubSession& operator=(const StubSession&) = delete;

    // Copies the attachment and lists it. False after a start-up failure, whose message
    // was shown; the program then ends.
    bool Start();
    // "Self-Extract Cab File - " and the own name, the text after the own path's last separator.
    std::string Caption() const;
    // The cabinet's file names in cabinet order.
    const std::vector<std::string>& Entries() const { return entries_; }
    // One expansion into `folder` and its end message. False when the temporary cabinet
    // had gone and could not be made again: the program ends.
    bool Expand(const std::string& folder);
    // Expand's steps, for hosts that expand on a thread of their own and announce the end
    // on the window's thread. PrepareExpansion makes the temporary cabinet again if it has
    // gone (false when it cannot: the program ends); ExpandInto may run on any thread;
    // AnnounceEnd shows the end message, none when the program is closing.
    bool PrepareExpansion();
    ExpansionResult ExpandInto(const std::string& folder);
    void AnnounceEnd(const ExpansionResult& result);
    // For hosts whose questions wait for their answers: starts, shows the files and
    // expands into every folder chosen, until the user cancels the choice or the program
    // closes. False after a start-up failure.
    bool Run();

    ExpansionFlags& Flags() { return flags_; }
    // Removes the temporary cabinet now rather than at the end of the session. Its path
    // stays, since an expansion on another thread may still be reading it.
    void RemoveTemporaryCabinet();

private:
    bool MakeTemporaryCabinet();

    Files& files_;
    StubUi& ui_;
    std::string ownPath_;
    std::uint64_t attachmentOffset_;
    std::string tempPath_;
    std::vector<std::string> entries_;
    ExpansionFlags flags_;
};

}  // namespace vexa::sfx
