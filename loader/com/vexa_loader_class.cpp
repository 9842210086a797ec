#include "loader/com/vexa_loader_class.hpp"

#include "loader/com/vexaload_resources.hpp"

namespace vexa::loader {

com::PageDescription VexaLoaderClass::Page() {
    com::PageDescription page{kPageClassId, VEXALOAD_PAGE_DIALOG, L"General", {}};
    for (const auto& property : Table().Properties()) page.properties.push_back(property.id);
    return page;
}

}  // namespace vexa::loader
