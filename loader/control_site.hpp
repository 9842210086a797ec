#pragma once
// What the loader control learns from the page that holds it: where it sits, the window
// that an embedded program becomes a child of, and the browser's own window. A console
// host has none of these and answers 0 and an empty rectangle.

#include "platform/message_windows.hpp"
#include "platform/processes.hpp"

namespace vexa::loader {

class ControlSite {
public:
    virtual ~ControlSite() = default;
    // The window two levels above the control's own window, or its parent when there is
    // no second level; 0 for none.
    virtual WindowHandle EmbeddingParent() = 0;
    // The control's client rectangle in the coordinates of EmbeddingParent().
    virtual Rect ControlRect() = 0;
    // The browser's top-level window; 0 for none.
    virtual WindowHandle BrowserWindow() = 0;
    // The control's border property.
    virtual bool HasBorder() = 0;
    virtual void Repaint() = 0;
};

}  // namespace vexa::loader
