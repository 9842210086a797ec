#include "platform/native.hpp"
#include "platform/win32/win32_clock.hpp"
#include "platform/win32/win32_components.hpp"
#include "platform/win32/win32_files.hpp"
#include "platform/win32/win32_processes.hpp"
#include "platform/win32/win32_registry.hpp"
#include "platform/win32/win32_shell.hpp"
#include "platform/win32/win32_trust.hpp"
#include "platform/win32/win32_ui.hpp"
#include "platform/win32/win32_windows.hpp"
#include "platform/win32/wininet_internet.hpp"

namespace vexa {

struct NativePlatform::Machine {};

NativePlatform::NativePlatform()
    : registry_(std::make_unique<Win32Registry>()),
      files_(std::make_unique<Win32Files>()),
      clock_(std::make_unique<Win32Clock>()),
      windows_(std::make_unique<Win32Windows>()),
      ui_(std::make_unique<Win32Ui>()),
      components_(std::make_unique<Win32Components>()),
      shell_(std::make_unique<Win32Shell>()),
      internet_(std::make_unique<WinInetInternet>()),
      trust_(std::make_unique<Win32Trust>()),
      processes_(std::make_unique<Win32Processes>()),
      platform_{*files_, *clock_, *windows_, *ui_, *components_, *shell_, *registry_, *internet_, *trust_,
                *processes_} {}
NativePlatform::~NativePlatform() = default;

// WinInet's cache is the browser's too: not this program's to list or clear.
std::string NativePlatform::OwnInternetCache() const { return {}; }

std::unique_ptr<Files> NativeFiles() { return std::make_unique<Win32Files>(); }

}  // namespace vexa
