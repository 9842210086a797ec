#include "download/line_list.hpp"

#include <algorithm>
#include <limits>

#include "platform/files.hpp"

namespace vexa::download {

std::int32_t LineList::TextToLines(const std::string& text, const std::string& separator) {
    return Split(text, separator);
}

std::int32_t LineList::TextFileToLines(Files& files, const std::string& filename, const std::string& separator) {
    auto text = ReadTextFile(files, filename);
    if (text && !text->empty()) return Split(std::move(*text), separator);
    text_.clear();
    starts_.clear();
    return 0;
}

std::int32_t LineList::Split(std::string text, const std::string& separator) {
    text_ = std::move(text);
    separatorSize_ = separator.size();
    starts_.assign(1, 0);
    if (!separator.empty())
        for (std::size_t at = text_.find(separator); at != std::string::npos; at = text_.find(separator, at)) {
            at += separatorSize_;
            starts_.push_back(at);
        }
    return static_cast<std::int32_t>(
        std::min<std::size_t>(starts_.size(), std::numeric_limits<std::int32_t>::max()));
}

std::string LineList::GetTextFileLine(std::int32_t lineNum) const {
    if (lineNum < 0 || static_cast<std::size_t>(lineNum) >= starts_.size()) return {};
    const auto line = static_cast<std::size_t>(lineNum);
    const std::size_t end = line + 1 < starts_.size() ? starts_[line + 1] - separatorSize_ : text_.size();
    return text_.substr(starts_[line], end - starts_[line]);
}

}  // namespace vexa::download
