#pragma once
// A shell link (".LNK"): the desktop's file that starts a program or opens a document, with
// the folder to start in and the arguments to pass.

#include <string>

namespace vexa {

struct ShellLink {
    std::string target;
    std::string description;
    std::string workingDirectory;
    std::string arguments;  // empty: none
};

// The bytes of a link file in the shell's binary link format, as the desktop of either
// system reads it. Texts are UTF-8; a byte that is not part of well-formed UTF-8 stands for
// the character of the same number. An empty target writes a link without location.
std::string ShellLinkBytes(const ShellLink& link);

}  // namespace vexa
