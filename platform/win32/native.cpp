#include "platform/native.hpp"
#include "platform/win32/win32_files.hpp"

namespace vexa {

NativePlatform::NativePlatform() : files_(std::make_unique<Win32Files>()), platform_{*files_} {}
NativePlatform::~NativePlatform() = default;

}  // namespace vexa
