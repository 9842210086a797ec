#pragma once
// A cabinet expanded into a folder, the one way every part of the system does it: folders
// made along each stored name, members marked in a list skipped, a question before
// anything in a member's place is replaced, progress and cancel, and each member's stored
// time and attributes. A member whose place is free is made there as a new file; one that
// replaces what stands in its place is written to a temporary file beside it and renamed
// in once complete. So a member cut short leaves nothing behind, what it would replace
// survives a failure, and a link in its place is replaced, never written through. A link
// on the way (a folder below the destination that is a link) fails the member rather than
// lead out of the destination.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "cabcodec/expander.hpp"
#include "platform/files.hpp"

namespace vexa::cab {

// Marks an entry of an expansion list whose member is not to be expanded.
inline constexpr char kSkipMark = '*';

enum class Existing { Replace, ReplaceAll, Keep, Cancel };

// The caller's part of an expansion. Called on the thread that expands.
class FolderExpansionCalls {
public:
    virtual ~FolderExpansionCalls() = default;
    // Looked at before each member and before each read: true stops the expansion.
    virtual bool Cancelled() const { return false; }
    // The member at `position` (counting every member in cabinet order) is about to be
    // written to `target`; members skipped by mark are not announced.
    virtual void Expanding(std::size_t /*position*/, const std::filesystem::path& /*target*/) {}
    // A file, folder or link stands at `target`. After ReplaceAll nothing more is asked.
    virtual Existing AskExisting(const std::filesystem::path& /*target*/) { return Existing::ReplaceAll; }
    // The expansion has moved past a member, skipped or not: `next` is the next one's position.
    virtual void Advanced(std::size_t /*next*/) {}
    // A member is complete in its place.
    virtual void Completed(const std::filesystem::path& /*target*/) {}
};

struct FolderExpansion {
    ExpandStatus status = ExpandStatus::Done;
    bool cancelled = false;     // stopped by Cancelled or by a Cancel answer
    std::size_t completed = 0;  // members complete in their places
    std::string cause;          // why it failed, naming the member: empty when it did not

    bool Done() const { return status == ExpandStatus::Done && !cancelled; }
};

// Expands the cabinet in file `cabinetPath` (from byte `offset` on: a cabinet attached to a
// program) into `folder`. `entries` is the expansion list in cabinet order: an entry that
// begins with kSkipMark skips its member.
FolderExpansion ExpandIntoFolder(Files& files, const std::string& cabinetPath, const std::filesystem::path& folder,
                                 std::span<const std::string> entries, FolderExpansionCalls& calls,
                                 std::uint64_t offset = 0);

// Every member, replacing what is in the way.
FolderExpansion ExpandInto(Files& files, const std::string& cabinetPath, const std::filesystem::path& folder);

}  // namespace vexa::cab
