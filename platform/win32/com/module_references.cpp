#include "platform/win32/com/module_references.hpp"

#include <atomic>

namespace vexa::com {
namespace {

std::atomic<long> references{0};

}  // namespace

void AddModuleReference() { ++references; }

void ReleaseModuleReference() { --references; }

bool ModuleInUse() { return references.load() != 0; }

}  // namespace vexa::com
