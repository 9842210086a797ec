#include "cabcodec/posix/mspack_bridge.hpp"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace vexa::cab {

struct MspackBridge::File {
    MspackBridge* bridge;
    bool isMember;
    std::uint64_t position = 0;
};

namespace {

void IgnoreMessage(mspack_file*, const char*, ...) {}
void* Allocate(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void Release(void* memory) { std::free(memory); }
void Copy(void* from, void* to, size_t bytes) { std::memmove(to, from, bytes); }

}  // namespace

MspackBridge::MspackBridge(CabinetSource& cabinet)
    : table_{{Open, Close, Read, Write, Seek, Tell, IgnoreMessage, Allocate, Release, Copy, nullptr}, this},
      cabinet_(cabinet) {}

mspack_file* MspackBridge::Open(mspack_system* self, const char* name, int mode) {
    MspackBridge* bridge = reinterpret_cast<Table*>(self)->bridge;
    std::string_view wanted(name);
    if (mode == MSPACK_SYS_OPEN_READ && wanted == kCabinetName) {
        return reinterpret_cast<mspack_file*>(new (std::nothrow) File{bridge, false});
    }
    if (mode == MSPACK_SYS_OPEN_WRITE && wanted == kMemberName && bridge->sink_ != nullptr) {
        return reinterpret_cast<mspack_file*>(new (std::nothrow) File{bridge, true});
    }
    return nullptr;
}

void MspackBridge::Close(mspack_file* file) { delete reinterpret_cast<File*>(file); }

int MspackBridge::Read(mspack_file* handle, void* buffer, int bytes) {
    auto* file = reinterpret_cast<File*>(handle);
    if (file->isMember || bytes < 0) return -1;
    auto got = file->bridge->cabinet_.ReadAt(file->position, static_cast<unsigned char*>(buffer),
                                             static_cast<std::size_t>(bytes));
    if (!got) {
        file->bridge->readFailed_ = true;
        return -1;
    }
    file->position += *got;
    return static_cast<int>(*got);
}

int MspackBridge::Write(mspack_file* handle, void* buffer, int bytes) {
    auto* file = reinterpret_cast<File*>(handle);
    if (!file->isMember || bytes < 0) return -1;
    if (!file->bridge->sink_->Write(static_cast<const unsigned char*>(buffer), static_cast<std::size_t>(bytes))) {
        file->bridge->writeFailed_ = true;
        return -1;
    }
    return bytes;
}

// As with a plain file, seeking past the end is allowed and reads there find nothing.
int MspackBridge::Seek(mspack_file* handle, off_t offset, int mode) {
    auto* file = reinterpret_cast<File*>(handle);
    off_t base = mode == MSPACK_SYS_SEEK_START ? 0
                 : mode == MSPACK_SYS_SEEK_CUR ? static_cast<off_t>(file->position)
                                               : static_cast<off_t>(file->bridge->cabinet_.Size());
    if (mode != MSPACK_SYS_SEEK_START && mode != MSPACK_SYS_SEEK_CUR && mode != MSPACK_SYS_SEEK_END) return -1;
    if (offset < -base) return -1;
    file->position = static_cast<std::uint64_t>(base + offset);
    return 0;
}

off_t MspackBridge::Tell(mspack_file* handle) { return static_cast<off_t>(reinterpret_cast<File*>(handle)->position); }

}  // namespace vexa::cab
