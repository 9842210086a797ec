#pragma once
// A cabinet fetched as a split set: pieces 1 to n, each at the cabinet's URL plus its
// number, kept in a piece directory named after the cabinet's signature so that a later
// run fetches only what is missing, then joined into one file.

#include <cstdint>
#include <string>
#include <vector>

#include "loader/cache.hpp"

namespace vexa::loader {

class SplitDownload {
public:
    // Starts a set of `pieces` pieces. The highest pieces already in the piece directory are
    // taken as they are, down to piece 2; piece 1 is always fetched. Returns the bytes of
    // the pieces taken; nothing is active when the piece directory cannot be made.
    std::int64_t Begin(LocalCache& cache, const std::string& url, std::int64_t pieces, const std::string& signature);
    // Pieces still to fetch; 0 when no set is being fetched.
    std::int64_t PiecesLeft() const { return piecesLeft_; }
    std::string NextUrl() const { return url_ + std::to_string(piecesLeft_); }
    // Stores a fetched piece under its local name. False when it cannot be copied.
    bool PieceArrived(Files& files, const std::string& file);
    // Where the pieces are kept; empty when no set is being fetched.
    const std::string& Directory() const { return directory_; }
    // Pieces fetched or taken so far, in the order they came.
    const std::vector<std::string>& Pieces() const { return pieces_; }
    // Joins pieces 1 to n into a new work directory and deletes the pieces, whatever the
    // outcome; their directory stays. The joined file, or empty on failure.
    std::string Join(LocalCache& cache);
    void Reset();

private:
    std::string LocalName(std::int64_t k) const;

    std::string url_;
    std::string fileName_;
    std::string directory_;
    std::int64_t count_ = 0;
    std::int64_t piecesLeft_ = 0;
    std::vector<std::string> pieces_;
};

}  // namespace vexa::loader
