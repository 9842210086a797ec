#pragma once
// The download control as a COM class: its identity, and the portable control with a
// platform of its own. It keeps no stored properties, so it has no property page.

#include <windows.h>
#include <olectl.h>

#include "common/property_exchange.hpp"
#include "download/com/vexadnld.h"
#include "download/dnld_dispatch.hpp"
#include "download/vexa_dnld.hpp"
#include "platform/native.hpp"
#include "platform/win32/com/control_place.hpp"

namespace vexa::download {

struct VexaDnldClass {
    struct Instance {
        Instance(com::ControlPlace&, EventSink& events) : control(platform.Get(), events) {}
        NativePlatform platform;
        VexaDnld control;
    };

    static constexpr const char* kName = "VexaDnld";
    static std::string_view ProgId() { return kVexaDnldProgId; }
    static const GUID& LibraryId() { return LIBID_VEXADNLDLib; }
    static const DispatchTable<VexaDnld>& Table() { return VexaDnldDispatch(); }
    static const CLSID& ClassId() { return CLSID_VexaDnld; }
    static const IID& DispatchId() { return DIID__DVexaDnld; }
    static const IID& EventsId() { return DIID__DVexaDnldEvents; }

    // The file version 1, 0, 0, 1 as major and minor.
    static constexpr PropertyVersion kVersion{1, 0};
    static constexpr const char* kCaption = "VexaDnld";
    // Pages and the wizard hold it as an invisible control.
    static constexpr DWORD kMiscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_ACTIVATEWHENVISIBLE |
                                         OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_RECOMPOSEONRESIZE;
};

}  // namespace vexa::download
