// Reads arbitrary bytes as a stand-alone web program's attachment.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text.hpp"
#include "loader/stand_alone.hpp"

namespace {

using vexa::loader::AttachmentReading;
using vexa::loader::StandAloneAttachment;

bool Same(const AttachmentReading& a, const AttachmentReading& b) {
    if (a.marked != b.marked || a.refusal != b.refusal || a.attachment.has_value() != b.attachment.has_value())
        return false;
    if (!a.attachment) return true;
    const StandAloneAttachment& x = *a.attachment;
    const StandAloneAttachment& y = *b.attachment;
    return x.activeXUrl == y.activeXUrl && x.loaderVersion == y.loaderVersion && x.publicationUrl == y.publicationUrl &&
           x.scriptCabinet == y.scriptCabinet && x.shortSignature == y.shortSignature;
}

bool Clean(std::string_view line) {
    if (line.empty() || line.size() > vexa::loader::kStandAloneLineLimit + 1) return false;
    for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const AttachmentReading whole = vexa::loader::ReadStandAloneAttachment(bytes);
    // The tail that the file reader takes says the same as the whole file.
    const std::size_t tail = std::min(size, vexa::loader::kStandAloneTailLimit);
    if (!Same(whole, vexa::loader::ReadStandAloneAttachment(bytes.substr(size - tail)))) __builtin_trap();
    if (whole.attachment.has_value() == !whole.refusal.empty()) __builtin_trap();
    if (const auto& read = whole.attachment) {
        for (std::string_view line :
             {read->activeXUrl, read->loaderVersion, read->publicationUrl, read->scriptCabinet, read->shortSignature})
            if (!Clean(line)) __builtin_trap();
        if (!vexa::EndsWithSeparator(read->publicationUrl) || !vexa::EndsWithSeparator(read->activeXUrl))
            __builtin_trap();
    }
    return 0;
}
