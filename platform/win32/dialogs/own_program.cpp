#include "platform/win32/dialogs/own_program.hpp"

#include <windows.h>

#include <vector>

namespace vexa::dialogs {

std::string OwnProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::optional<FileVersionNumbers> OwnFileVersion() {
    const std::string path = OwnProgramPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    void* fixed = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueA(block.data(), "\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto& info = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return FileVersionNumbers{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                              HIWORD(info.dwFileVersionLS), LOWORD(info.dwFileVersionLS)};
}

}  // namespace vexa::dialogs
