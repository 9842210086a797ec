#pragma once
// The loader control as a COM class: its identity, the portable control with the site it
// sees, and its property page.

#include <windows.h>
#include <olectl.h>

#include "common/property_exchange.hpp"
#include "loader/com/com_control_site.hpp"
#include "loader/com/vexaload.h"
#include "loader/loader_dispatch.hpp"
#include "platform/native.hpp"
#include "platform/win32/com/property_page.hpp"

namespace vexa::loader {

inline constexpr CLSID kPageClassId = {
    0x7609FF82, 0x2BE7, 0x4639, {0x9B, 0x3E, 0x32, 0x72, 0x87, 0xEF, 0x67, 0xBF}};
inline constexpr std::string_view kVexaLoaderPageProgId = "VEXALOAD.VexaLoaderPropPage.1";

struct VexaLoaderClass {
    struct Instance {
        Instance(com::ControlPlace& place, EventSink& events) : site(place), control(platform.Get(), site, events) {}
        NativePlatform platform;
        ComControlSite site;
        VexaLoader control;
    };

    static constexpr const char* kName = "VexaLoader";
    static std::string_view ProgId() { return kVexaLoaderProgId; }
    static const GUID& LibraryId() { return LIBID_VEXALOADLib; }
    static const DispatchTable<VexaLoader>& Table() { return VexaLoaderDispatch(); }
    static const CLSID& ClassId() { return CLSID_VexaLoader; }
    static const IID& DispatchId() { return DIID__DVexaLoader; }
    static const IID& EventsId() { return DIID__DVexaLoaderEvents; }
    static const CLSID& PageClassId() { return kPageClassId; }
    static constexpr std::string_view kPageProgId = kVexaLoaderPageProgId;
    static com::PageDescription Page();

    // The file version 2, 3, 0, 35 as major and minor.
    static constexpr PropertyVersion kVersion{2, 3};
    static constexpr const char* kCaption = "VexaLoader";
    static constexpr DWORD kMiscStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT |
                                         OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
};

}  // namespace vexa::loader
