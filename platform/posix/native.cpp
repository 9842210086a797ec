#include "platform/native.hpp"
#include "platform/posix/posix_files.hpp"

namespace vexa {

NativePlatform::NativePlatform() : files_(std::make_unique<PosixFiles>()), platform_{*files_} {}
NativePlatform::~NativePlatform() = default;

}  // namespace vexa
