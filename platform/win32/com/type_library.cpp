#include "platform/win32/com/type_library.hpp"

#include <oleauto.h>

#include "platform/win32/com/registration.hpp"
#include "platform/win32/wide_text.hpp"

namespace vexa::com {
namespace {

HRESULT LoadModuleLibrary(const std::string& modulePath, REGKIND kind, ITypeLib** library) {
    std::wstring path = WideFromAnsi(modulePath);
    return ::LoadTypeLibEx(path.c_str(), kind, library);
}

}  // namespace

HRESULT RegisterTypeLibrary(const std::string& modulePath) {
    ITypeLib* library = nullptr;
    HRESULT status = LoadModuleLibrary(modulePath, REGKIND_REGISTER, &library);
    if (library) library->Release();
    return status;
}

HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ITypeLib* library = nullptr;
    HRESULT status = LoadModuleLibrary(ThisModulePath(), REGKIND_NONE, &library);
    if (FAILED(status)) return status;
    status = library->GetTypeInfoOfGuid(guid, info);
    library->Release();
    return status;
}

}  // namespace vexa::com
