#pragma once
// The web page as the loader control needs it: whether it embeds the control by its class
// id, the script its RunScript call names, and the DefaultURL parameter it gives the
// control. Pages come from anywhere, so the reader scans each byte a bounded number of
// times and never recurses: a hostile page costs time in proportion to its size.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa::loader {

// A page above this size is refused before it is read: no real page comes near it.
inline constexpr std::size_t kPageSizeLimit = std::size_t{16} << 20;

struct Page {
    bool embedsLoader = false;
    std::string script;      // RunScript's first argument; empty when the page calls none
    std::string defaultUrl;  // the value of <param name="DefaultURL" value="...">
};

// Names are read without regard to case, quotes are ' or " (a value ends at the first of
// either), and white space may stand around "(" and "=". The first call and the first
// parameter that read so count.
Page ReadPage(std::string_view html);

}  // namespace vexa::loader
