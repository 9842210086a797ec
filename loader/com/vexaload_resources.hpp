#pragma once
// Resource ids shared by the library's resource script and its code.

#define VEXALOAD_PAGE_DIALOG 100
