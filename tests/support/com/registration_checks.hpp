#pragma once
// What a control's self-registration must leave behind, and what a browser asks of the
// control before it lets a page script it or hand it the page's parameters.

#include <oaidl.h>

#include <string>

namespace vexa::test {

struct ControlIdentity {
    std::string classId;  // "{...}"
    std::string progId;
    std::string libraryId;    // the type library's "{...}"
    std::string version;      // the type library's and the class's, "major.minor"
    std::string libraryName;  // the type library's help string
    std::string file;         // the library's file name, "VEXALOAD.OCX"
};

// The class with its apartment-threaded server, program id, type library, version and
// Control key; the program id's class; the type library; both safety categories.
void ExpectRegistered(const ControlIdentity& control);
// Neither the class nor its program id is left.
void ExpectUnregistered(const ControlIdentity& control);
// Safe for untrusted callers and data on IDispatch and both persistence interfaces.
void ExpectSafeForScriptingAndInitialising(IDispatch* control);

}  // namespace vexa::test
