#pragma once
// Decompressors keep the state of one folder. A member that lies behind the last one
// copied, or in a folder the pass has left, makes them decompress that folder again from
// its start: a small cabinet could ask for that with every member. Makers write members in
// folder order, so both backends let copies only move forward.

#include <cstdint>
#include <optional>
#include <set>

namespace vexa::cab {

class ForwardOnly {
public:
    // `folder` is whatever identifies a folder to the backend; `offset` places the member in
    // the folder's uncompressed data.
    bool Allows(std::uint64_t folder, std::uint64_t offset) const {
        if (folder != folder_) return !left_.contains(folder);
        return offset >= position_;
    }
    void Copied(std::uint64_t folder, std::uint64_t offset, std::uint64_t size) {
        if (folder != folder_) {
            if (folder_) left_.insert(*folder_);
            folder_ = folder;
        }
        position_ = offset + size;
    }

private:
    std::optional<std::uint64_t> folder_;
    std::uint64_t position_ = 0;
    std::set<std::uint64_t> left_;
};

}  // namespace vexa::cab
