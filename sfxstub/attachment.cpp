#include "sfxstub/attachment.hpp"

#include <filesystem>
#include <fstream>

#include "cabcodec/attached_copy.hpp"
#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

// The copy into the temporary cabinet; null on success, else the message.
const char* CopyInto(ReadableFile& own, std::uint64_t offset, std::span<unsigned char> buffer,
                     const std::string& tempPath) {
    std::ofstream out(tempPath, std::ios::binary | std::ios::trunc);
    if (!out) return kNoTempOpen;
    switch (cab::CopyTail(own, offset, buffer, out)) {
        case cab::TailCopy::ShortRead: return kCannotRead;
        case cab::TailCopy::WriteFailed: return kCannotWrite;
        case cab::TailCopy::Done: break;
    }
    out.close();
    return out ? nullptr : kCannotWrite;
}

}  // namespace

AttachmentCopy CopyAttachment(Files& files, const std::string& ownPath, std::uint64_t offset) {
    auto own = files.OpenShared(ownPath);
    if (!own) return {{}, kCannotRead};  // a program that cannot read itself cannot read its cabinet
    if (own->Size() <= offset) return {{}, kEmpty};

    std::vector<unsigned char> buffer = cab::TailBuffer(own->Size() - offset);
    if (buffer.empty()) return {{}, kNoBuffer};
    auto tempPath = files.CreateTempFile("~cb");
    if (!tempPath) return {{}, kNoTempName};

    if (const char* failure = CopyInto(*own, offset, buffer, *tempPath)) {
        std::error_code ignored;
        std::filesystem::remove(*tempPath, ignored);
        return {{}, failure};
    }
    return {*tempPath, {}};
}

}  // namespace vexa::sfx
