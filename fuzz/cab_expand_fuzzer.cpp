// Expands arbitrary bytes as a cabinet into sinks that keep nothing, so members that
// declare gigabytes cost time, not memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "cabcodec/expander.hpp"
#include "tests/support/memory_cabinet.hpp"

namespace {

class NullSink final : public vexa::cab::MemberSink {
public:
    bool Write(const unsigned char*, std::size_t) override { return true; }
};

class NullHandler final : public vexa::cab::ExpandHandler {
public:
    std::unique_ptr<vexa::cab::MemberSink> CopyFile(const vexa::cab::MemberInfo&) override {
        return std::make_unique<NullSink>();
    }
    bool FileComplete(std::unique_ptr<vexa::cab::MemberSink>, const vexa::cab::MemberInfo&) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::test::MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    NullHandler handler;
    vexa::cab::Expand(source, 0, handler);
    return 0;
}
