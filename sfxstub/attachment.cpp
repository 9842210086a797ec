#include "sfxstub/attachment.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

constexpr std::uint64_t kMaxBuffer = 1'000'000;

// The copy into the temporary cabinet; null on success, else the message.
const char* CopyInto(ReadableFile& own, std::uint64_t offset, unsigned char* buffer, std::size_t bufferSize,
                     const std::string& tempPath) {
    std::ofstream out(tempPath, std::ios::binary | std::ios::trunc);
    if (!out) return kNoTempOpen;
    const std::uint64_t length = own.Size() - offset;
    for (std::uint64_t done = 0; done < length;) {
        auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, bufferSize));
        if (own.ReadAt(offset + done, buffer, chunk) < chunk) return kCannotRead;
        if (!out.write(reinterpret_cast<const char*>(buffer), static_cast<std::streamsize>(chunk))) return kCannotWrite;
        done += chunk;
    }
    out.close();
    return out ? nullptr : kCannotWrite;
}

}  // namespace

AttachmentCopy CopyAttachment(Files& files, const std::string& ownPath, std::uint64_t offset) {
    auto own = files.OpenShared(ownPath);
    if (!own) return {{}, kCannotRead};  // a program that cannot read itself cannot read its cabinet
    if (own->Size() <= offset) return {{}, kEmpty};

    const auto bufferSize = static_cast<std::size_t>(std::min(own->Size() - offset, kMaxBuffer));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bufferSize]);
    if (!buffer) return {{}, kNoBuffer};
    auto tempPath = files.CreateTempFile("~cb");
    if (!tempPath) return {{}, kNoTempName};

    if (const char* failure = CopyInto(*own, offset, buffer.get(), bufferSize, *tempPath)) {
        std::error_code ignored;
        std::filesystem::remove(*tempPath, ignored);
        return {{}, failure};
    }
    return {*tempPath, {}};
}

}  // namespace vexa::sfx
