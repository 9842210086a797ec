#pragma once
// Texts the loader shows in its error window that more than one part of it builds.

#include <string>

namespace vexa::loader {

inline constexpr const char* kLineBreak = "\r\n";

inline std::string InsufficientSpaceText(const std::string& drive) {
    return "Error: Insufficient disk space on drive " + drive + " for this VexaWeb page. ";
}

inline std::string DownloadFailedText(const std::string& url) {
    return "Download Error! Make sure you are connected to the Internet. Cannot download file: " + url;
}

inline std::string UnsplitFailedText(const std::string& name) {
    return "Download error. Cannot un-split file. File Name: " + name + kLineBreak +
           "To re-download the file, make sure you are connected to the Internet, make sure you have enough hard "
           "disk space, then refresh this page.";
}

}  // namespace vexa::loader
