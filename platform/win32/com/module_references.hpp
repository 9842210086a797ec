#pragma once
// A COM library may be unloaded only while none of its objects lives and no client holds
// a lock on a class factory; both count here, process-wide, as the library itself is.

namespace vexa::com {

void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

}  // namespace vexa::com
