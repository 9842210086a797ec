#include "platform/native.hpp"

#include <iostream>

#include "platform/posix/console_ui.hpp"
#include "platform/posix/curl_internet.hpp"
#include "platform/posix/policy_trust.hpp"
#include "platform/posix/posix_clock.hpp"
#include "platform/posix/posix_components.hpp"
#include "platform/posix/posix_files.hpp"
#include "platform/posix/posix_processes.hpp"
#include "platform/posix/posix_shell.hpp"
#include "platform/posix/posix_windows.hpp"
#include "platform/posix/prefix.hpp"
#include "platform/posix/sqlite_registry.hpp"

namespace vexa {

struct NativePlatform::Machine {
    PosixPrefix prefix = PosixPrefix::FromEnvironment();
};

// Dialogs ask on standard error and read their answers from standard input, so that the
// results a host prints on standard output stay clean.
NativePlatform::NativePlatform()
    : machine_(std::make_unique<Machine>()),
      registry_(std::make_unique<SqliteRegistry>(machine_->prefix.RegistryDatabase())),
      files_(std::make_unique<PosixFiles>()),
      clock_(std::make_unique<PosixClock>()),
      windows_(std::make_unique<PosixWindows>(*clock_, machine_->prefix.WindowStation())),
      ui_(std::make_unique<ConsoleUi>(std::cin, std::cerr)),
      components_(std::make_unique<PosixComponents>(machine_->prefix, *registry_)),
      shell_(std::make_unique<PosixShell>(machine_->prefix)),
      internet_(std::make_unique<CurlInternet>(machine_->prefix.InternetCache(), machine_->prefix.TrustedRoots())),
      trust_(std::make_unique<PolicyTrust>(TrustPolicy::Ask, *ui_)),
      processes_(std::make_unique<PosixProcesses>()),
      platform_{*files_, *clock_, *windows_, *ui_, *components_, *shell_, *registry_, *internet_, *trust_,
                *processes_} {}
NativePlatform::~NativePlatform() = default;

std::string NativePlatform::OwnInternetCache() const { return machine_->prefix.InternetCache().string(); }

std::unique_ptr<Files> NativeFiles() { return std::make_unique<PosixFiles>(); }

}  // namespace vexa
