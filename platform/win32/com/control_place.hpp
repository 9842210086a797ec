#pragma once
// What a control's COM object tells the portable control about its place in the page.

#include <windows.h>

namespace vexa::com {

class ControlPlace {
public:
    virtual ~ControlPlace() = default;
    // The control's own window while it is active in place; null otherwise.
    virtual HWND Window() const = 0;
};

}  // namespace vexa::com
