#pragma once
// The stand-alone web program: the stub program with a short text attached to its end
// that says where the web page program lives, for machines whose browser runs no ActiveX.
// The text is six parts, the first five each followed by CR LF: the ActiveX URL (ending
// in "/"), the loader control's version ("2,3,0,35"), the publication URL (the page's web
// directory), the script cabinet's file name, the cabinet's short signature, and "WEBPROG"
// as the file's last seven bytes. The stub's bytes come directly before the first line,
// so only the tail of the file is read, and nothing there is trusted.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "loader/vexa_loader.hpp"
#include "platform/files.hpp"
#include "platform/shell.hpp"

namespace vexa::loader {

inline constexpr std::string_view kStandAloneMarker = "WEBPROG";
// A line's bound; a URL's parts are at most 299 characters each.
inline constexpr std::size_t kStandAloneLineLimit = 2048;
// The most a reader takes from the end of the file: five lines at their bound, their line
// ends, the marker, and one byte more, so a first line that fills it is over-long.
inline constexpr std::size_t kStandAloneTailLimit = 5 * (kStandAloneLineLimit + 2) + kStandAloneMarker.size() + 1;

struct StandAloneAttachment {
    // The two URLs end with a separator: "/", or a backslash as a file URL may end.
    std::string activeXUrl;
    std::string loaderVersion;   // four numbers separated by commas, as written
    std::string publicationUrl;
    std::string scriptCabinet;   // a file name without a path
    std::string shortSignature;  // "1a2b3c4d-12345"
};

struct AttachmentReading {
    std::optional<StandAloneAttachment> attachment;
    // Without an attachment: why, as one line for a person.
    std::string refusal;
    // Whether the bytes end with the marker, so that they were meant as a stand-alone
    // program even when the text before it is refused.
    bool marked = false;
};

// Reads the attachment from the last bytes of a file (at most kStandAloneTailLimit of
// them; fewer only when the file is shorter). The first line starts after the last byte
// before its line end that is no printable ASCII character, at the first "http://",
// "https://" or "file://" there: a stub whose last bytes are printable text stays out of
// the URL. The publication URL may lack its final "/" and stand between blanks.
AttachmentReading ReadStandAloneAttachment(std::string_view tail);
// The same from the end of the file at `path`.
AttachmentReading ReadStandAloneAttachment(Files& files, const std::string& path);

// The page address that a stand-alone program plays: the script cabinet's own URL in the
// publication directory. The control keeps only its directory, against which RunScript
// resolves the cabinet's name.
std::string StandAlonePageUrl(const StandAloneAttachment& attachment);

// What a generated page calls on load: Test1, the custom events "GOTO URL" and
// "PREVIOUS PAGE", SetCurrentUrl with its own address, RunScript with the script. The
// answer is RunScript's.
bool CallAsThePageDoes(VexaLoader& control, const std::string& pageUrl, const std::string& script);
// The same for a stand-alone program, which has no browser window to return to.
bool CallAsAStandAloneProgram(VexaLoader& control, const StandAloneAttachment& attachment);

// What a stand-alone program does with the control's custom events in the page's place:
// "GOTO URL" opens its text with the shell, as there is no frame to navigate, when the
// text is an address the loader could fetch; "PREVIOUS PAGE" calls `leave`, as there is no
// page before. Other events are the program's own business.
void FollowCustomEvent(Shell& shell, const std::string& name, const std::string& text,
                       const std::function<void()>& leave);

}  // namespace vexa::loader
