#pragma once
// The type library that a control's module carries as its TYPELIB resource.

#include <oaidl.h>

#include <string>

namespace vexa::com {

// Registered for the module's path, as self-registration does.
HRESULT RegisterTypeLibrary(const std::string& modulePath);
// The description of `guid` (an interface or the class) from the library of this module.
HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace vexa::com
