#include "loader/split_download.hpp"

#include <filesystem>
#include <fstream>

#include "common/file_name.hpp"
#include "common/split_set.hpp"
#include "signature/signature.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

bool Append(std::ofstream& out, const std::string& piece) {
    std::ifstream in(piece, std::ios::binary);
    if (!in) return false;
    out << in.rdbuf();
    return static_cast<bool>(out);
}

}  // namespace

std::string SplitDownload::LocalName(std::int64_t k) const { return SplitPieceName(directory_ + fileName_, k); }

std::int64_t SplitDownload::Begin(LocalCache& cache, const std::string& url, std::int64_t pieces,
                                  const std::string& signature) {
    Reset();
    std::string temp = cache.GetTempFolder();
    if (temp.empty()) return 0;
    directory_ = temp + "~us" + LongSigToShortSig(signature) + static_cast<char>(fs::path::preferred_separator);
    std::error_code error;
    fs::create_directories(directory_, error);
    if (!fs::is_directory(directory_, error)) return 0;
    url_ = url;
    fileName_ = std::string(FileNamePart(url));
    count_ = piecesLeft_ = pieces;
    std::int64_t taken = 0;
    while (piecesLeft_ >= 2 && fs::is_regular_file(LocalName(piecesLeft_), error)) {
        taken += static_cast<std::int64_t>(fs::file_size(LocalName(piecesLeft_), error));
        pieces_.push_back(LocalName(piecesLeft_--));
    }
    return taken;
}

// A fetched piece is never written in place again, so the piece file may share its bytes.
bool SplitDownload::PieceArrived(Files& files, const std::string& file) {
    std::string local = LocalName(piecesLeft_--);
    std::error_code error;
    fs::create_hard_link(file, local, error);
    if (error && !ReplaceFileWith(files, file, local)) return false;
    pieces_.push_back(local);
    return true;
}

std::string SplitDownload::Join(LocalCache& cache) {
    std::string work = cache.MakeUniqueTempDir("~tm");
    std::string joined = work.empty() ? std::string() : work + fileName_;
    bool whole = !joined.empty();
    if (whole) {
        std::ofstream out(joined, std::ios::binary | std::ios::trunc);
        for (std::int64_t k = 1; whole && k <= count_; ++k) whole = Append(out, LocalName(k));
        out.close();
        whole = whole && !out.fail();
    }
    std::error_code ignored;
    for (std::int64_t k = 1; k <= count_; ++k) fs::remove(LocalName(k), ignored);
    if (!whole && !work.empty()) cache.RemoveTempTree(work);
    Reset();
    return whole ? joined : std::string();
}

void SplitDownload::Reset() {
    url_.clear();
    fileName_.clear();
    directory_.clear();
    count_ = piecesLeft_ = 0;
    pieces_.clear();
}

}  // namespace vexa::loader
