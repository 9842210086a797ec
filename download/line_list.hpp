#pragma once
// A text split into lines at every occurrence of a separator, kept until the next split
// and read one line at a time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.hpp"

namespace vexa::download {

class LineList {
public:
    // Splits `text` at every occurrence of `separator`, left to right: the pieces before
    // each occurrence and the rest after the last. Returns the number of lines, the
    // occurrences + 1. An empty separator occurs nowhere: the whole text is one line.
    std::int32_t TextToLines(const std::string& text, const std::string& separator);
    // The same with the whole file as text (ReadTextFile: bounded); a missing, empty or
    // unreadable file leaves the list empty and gives 0.
    std::int32_t TextFileToLines(Files& files, const std::string& filename, const std::string& separator);
    // The line at the 0-based `lineNum`; empty outside the list.
    std::string GetTextFileLine(std::int32_t lineNum) const;

private:
    std::int32_t Split(std::string text, const std::string& separator);

    // Where each line starts in the text: a number per line rather than a string of its own.
    std::string text_;
    std::vector<std::size_t> starts_;
    std::size_t separatorSize_ = 0;
};

}  // namespace vexa::download
