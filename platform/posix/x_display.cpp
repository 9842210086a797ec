#include "platform/posix/x_display.hpp"

#include <dlfcn.h>

#include <cstdlib>

namespace vexa {
namespace {

// The few entry points of libX11 needed here, with the display as an opaque pointer.
struct XLibrary {
    using Open = void* (*)(const char*);
    using Close = int (*)(void*);
    using DefaultScreen = int (*)(void*);
    using Figure = int (*)(void*, int);

    void* handle = nullptr;
    Open open = nullptr;
    Close close = nullptr;
    DefaultScreen defaultScreen = nullptr;
    Figure width = nullptr;
    Figure height = nullptr;
    Figure depth = nullptr;

    XLibrary() {
        handle = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!handle) return;
        open = reinterpret_cast<Open>(::dlsym(handle, "XOpenDisplay"));
        close = reinterpret_cast<Close>(::dlsym(handle, "XCloseDisplay"));
        defaultScreen = reinterpret_cast<DefaultScreen>(::dlsym(handle, "XDefaultScreen"));
        width = reinterpret_cast<Figure>(::dlsym(handle, "XDisplayWidth"));
        height = reinterpret_cast<Figure>(::dlsym(handle, "XDisplayHeight"));
        depth = reinterpret_cast<Figure>(::dlsym(handle, "XDefaultDepth"));
    }
    ~XLibrary() {
        if (handle) ::dlclose(handle);
    }
    XLibrary(const XLibrary&) = delete;
    XLibrary& operator=(const XLibrary&) = delete;
    bool Complete() const { return open && close && defaultScreen && width && height && depth; }
};

}  // namespace

std::optional<ScreenMetrics> XDisplayScreen() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return std::nullopt;
    XLibrary x;
    if (!x.Complete()) return std::nullopt;
    void* display = x.open(name);
    if (!display) return std::nullopt;
    int screen = x.defaultScreen(display);
    ScreenMetrics metrics{x.width(display, screen), x.height(display, screen), x.depth(display, screen)};
    x.close(display);
    return metrics;
}

}  // namespace vexa
