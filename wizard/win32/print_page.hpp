#pragma once
// Text printed on the default printer, in the font "Small Fonts", a page after another.

#include <windows.h>

#include <string>

namespace vexa::wizard {

enum class PrintOutcome { Printed, NoPrinter, Failed };

// `text` is lines ended by CR LF; `document` names the print job.
PrintOutcome PrintOnDefaultPrinter(HWND owner, const std::string& document, const std::string& text);

}  // namespace vexa::wizard
