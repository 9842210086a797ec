#include "cabinet/self_extracting.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "common/file_beside.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxCopyBuffer = 1'000'000;

bool WriteBytes(std::ofstream& out, const unsigned char* data, std::size_t n) {
    return static_cast<bool>(out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n)));
}

bool CopyCabinet(ReadableFile& cabinet, unsigned char* buffer, std::size_t bufferSize, std::ofstream& out) {
    const std::uint64_t length = cabinet.Size();
    for (std::uint64_t done = 0; done < length;) {
        auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, bufferSize));
        if (cabinet.ReadAt(done, buffer, chunk) < chunk || !WriteBytes(out, buffer, chunk)) return false;
        done += chunk;
    }
    return true;
}

}  // namespace

bool Cab2Exe(Files& files, std::span<const unsigned char> stub, const std::string& cabFilename,
             const std::string& exeFilename) {
    if (stub.empty() || IsSameFile(cabFilename, exeFilename)) return false;
    auto cabinet = files.OpenShared(cabFilename);
    if (!cabinet || cabinet->Size() == 0) return false;
    const auto bufferSize = static_cast<std::size_t>(std::min(cabinet->Size(), kMaxCopyBuffer));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bufferSize]);
    if (!buffer) return false;

    auto exe = FileBesideOf(files, exeFilename);
    if (!exe->Made()) return false;
    std::ofstream out(exe->Path(), std::ios::binary | std::ios::trunc);
    if (!out || !WriteBytes(out, stub.data(), stub.size()) || !CopyCabinet(*cabinet, buffer.get(), bufferSize, out)) {
        return false;
    }
    out.close();
    return !out.fail() && !exe->Commit(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
}

}  // namespace vexa
