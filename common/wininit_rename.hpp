#pragma once
// The older, non-NT Windows systems carry out the "[Rename]" section of WININIT.INI at
// start-up, in order: "NUL=<path>" deletes the path, "<to>=<from>" moves a file. The
// section may hold one key many times, which the profile functions cannot write, so the
// file is edited as text.

#include <string>
#include <string_view>

namespace vexa {

// The file's text with "NUL=<target>" and then "<target>=<replacement>" added at the end
// of its "[Rename]" section (found without regard to case), or in a new section at the
// end; an empty replacement adds the deletion alone. Everything already there is kept;
// new lines end in CR LF.
std::string AddWininitRename(std::string_view iniText, std::string_view target, std::string_view replacement);

}  // namespace vexa
