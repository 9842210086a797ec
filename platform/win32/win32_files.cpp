#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_files.hpp"

namespace vexa {
namespace {

class Win32ReadableFile final : public ReadableFile {
public:
    Win32ReadableFile(HANDLE handle, std::uint64_t size) : handle_(handle), size_(size) {}
    ~Win32ReadableFile() override { ::CloseHandle(handle_); }
    Win32ReadableFile(const Win32ReadableFile&) = delete;
    Win32ReadableFile& operator=(const Win32ReadableFile&) = delete;

    std::uint64_t Size() const override { return size_; }

    // Each read carries its own offset, so concurrent readers of one handle never
    // race on the file pointer.
    std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            std::uint64_t at = offset + done;
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(at);
            where.OffsetHigh = static_cast<DWORD>(at >> 32);
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
            DWORD got = 0;
            if (!::ReadFile(handle_, into + done, chunk, &got, &where) || got == 0) break;
            done += got;
        }
        return done;
    }

private:
    HANDLE handle_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadableFile> Win32Files::OpenShared(const std::string& path) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
        ::CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<Win32ReadableFile>(handle, static_cast<std::uint64_t>(size.QuadPart));
}

}  // namespace vexa
