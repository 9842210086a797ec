#pragma once
// Argument texts as Windows programs read them: their runtime splits the one command line
// a process is given into separate arguments.

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Blanks and tabs separate arguments outside double quotes, which group and are dropped.
// A run of backslashes before a double quote gives half as many backslashes: an even run
// leaves the quote to group, an odd run makes it a literal quote. Elsewhere backslashes are
// kept as they are. Inside quotes "" is a literal quote and the quotes go on. A quoted
// empty text ("") is an empty argument.
std::vector<std::string> SplitCommandLine(std::string_view arguments);

}  // namespace vexa
