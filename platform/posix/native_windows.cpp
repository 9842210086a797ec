#include "platform/native_windows.hpp"

#include "platform/posix/posix_clock.hpp"
#include "platform/posix/posix_windows.hpp"
#include "platform/posix/prefix.hpp"

namespace vexa {

NativeWindows::NativeWindows()
    : clock_(std::make_unique<PosixClock>()),
      windows_(std::make_unique<PosixWindows>(*clock_, PosixPrefix::FromEnvironment().WindowStation())) {}
NativeWindows::~NativeWindows() = default;

}  // namespace vexa
