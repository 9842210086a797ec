#pragma once
// The cabinet control as a COM class: its identity, and the portable control on the
// process's shared cabinet jobs with the self-extract stub this library carries. It keeps
// no stored properties, so it has no property page.

#include <windows.h>
#include <olectl.h>

#include <memory>

#include "cabinet/cab_dispatch.hpp"
#include "cabinet/com/shared_cabinet_jobs.hpp"
#include "cabinet/com/vexacb.h"
#include "cabinet/vexa_cb.hpp"
#include "common/property_exchange.hpp"
#include "platform/win32/com/control_place.hpp"
#include "sfxstub/stub_image.hpp"

namespace vexa {

struct VexaCBClass {
    struct Instance {
        Instance(com::ControlPlace&, EventSink& events)
            : shared(HoldCabinetJobs()), control(shared->platform.Get(), shared->jobs, events, sfx::SelfExtractStub()) {}
        std::shared_ptr<SharedCabinetJobs> shared;
        VexaCB control;
    };

    static constexpr const char* kName = "VexaCB";
    static std::string_view ProgId() { return kVexaCBProgId; }
    static const GUID& LibraryId() { return LIBID_VEXACBLib; }
    static const DispatchTable<VexaCB>& Table() { return VexaCBDispatch(); }
    static const CLSID& ClassId() { return CLSID_VexaCB; }
    static const IID& DispatchId() { return DIID__DVexaCB; }
    static const IID& EventsId() { return DIID__DVexaCBEvents; }

    // The file version 1, 0, 0, 1 as major and minor.
    static constexpr PropertyVersion kVersion{1, 0};
    static constexpr const char* kCaption = "VexaCB";
    // Hosts such as the page wizard hold it as an invisible control.
    static constexpr DWORD kMiscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_ACTIVATEWHENVISIBLE |
                                         OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_RECOMPOSEONRESIZE;
};

}  // namespace vexa
