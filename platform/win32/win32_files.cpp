#include <windows.h>

#include <algorithm>
#include <utility>

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

class Win32HeldFile final : public HeldFile {
public:
    explicit Win32HeldFile(HANDLE handle) : handle_(handle) {}
    ~Win32HeldFile() override { ::CloseHandle(handle_); }
    Win32HeldFile(const Win32HeldFile&) = delete;
    Win32HeldFile& operator=(const Win32HeldFile&) = delete;

private:
    HANDLE handle_;
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

// Local times go through the local file time, as the system's own tools convert them.
std::optional<TimeStamp> Win32Files::LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME t{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        !::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &t))
        return std::nullopt;
    return TimeStamp{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32Files::SetFileTime(const std::string& path, const TimeStamp& stamp, bool creationToo) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(stamp.year);
    t.wMonth = static_cast<WORD>(stamp.month);
    t.wDay = static_cast<WORD>(stamp.day);
    t.wHour = static_cast<WORD>(stamp.hour);
    t.wMinute = static_cast<WORD>(stamp.minute);
    t.wSecond = static_cast<WORD>(stamp.second);
    FILETIME local{};
    FILETIME utc{};
    if (!::SystemTimeToFileTime(&t, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE handle = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool done = ::SetFileTime(handle, creationToo ? &utc : nullptr, nullptr, &utc);
    ::CloseHandle(handle);
    return done;
}

std::optional<std::uint32_t> Win32Files::Attributes(const std::string& path) {
    DWORD bits = ::GetFileAttributesA(path.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return bits;
}

bool Win32Files::SetAttributes(const std::string& path, std::uint32_t bits) {
    return ::SetFileAttributesA(path.c_str(), bits == 0 ? FILE_ATTRIBUTE_NORMAL : bits);
}

std::optional<std::string> Win32Files::CreateTempFileIn(const std::string& folder, const std::string& prefix) {
    char name[MAX_PATH + 1];
    if (!::GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, name)) return std::nullopt;
    return std::string(name);
}

std::optional<std::string> Win32Files::CreateTempFile(const std::string& prefix) {
    char folder[MAX_PATH + 1];
    DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    return CreateTempFileIn(folder, prefix);
}

namespace {

class Win32WritableFile final : public WritableFile {
public:
    explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
    ~Win32WritableFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    Win32WritableFile(const Win32WritableFile&) = delete;
    Win32WritableFile& operator=(const Win32WritableFile&) = delete;

    bool Write(const unsigned char* data, std::size_t n) override {
        while (n > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            n -= written;
        }
        return true;
    }
    bool Close() override { return ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0; }

private:
    HANDLE handle_;
};

}  // namespace

// CREATE_NEW fails on anything in the way, a link too.
std::unique_ptr<WritableFile> Win32Files::CreateNewFile(const std::string& path) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WritableFile>(handle);
}

// Other holders may share reading and writing, never deletion.
std::unique_ptr<HeldFile> Win32Files::CreateHeldFile(const std::string& path) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32HeldFile>(handle);
}

bool Win32Files::DeleteUnlessHeld(const std::string& path) {
    if (::DeleteFileA(path.c_str())) return true;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::optional<DriveSpace> Win32Files::SpaceOfDrive(const std::string& folder) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExA(folder.c_str(), &available, &total, nullptr)) return std::nullopt;
    return DriveSpace{total.QuadPart, available.QuadPart};
}

}  // namespace vexa
