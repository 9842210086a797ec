#include "cabcodec/expander.hpp"

namespace vexa::cab {
namespace {

class Collector final : public ExpandHandler {
public:
    explicit Collector(std::vector<MemberInfo>& members) : members_(members) {}
    std::unique_ptr<MemberSink> CopyFile(const MemberInfo& member) override {
        members_.push_back(member);
        return nullptr;
    }
    bool FileComplete(std::unique_ptr<MemberSink>, const MemberInfo&) override { return true; }

private:
    std::vector<MemberInfo>& members_;
};

}  // namespace

ExpandStatus ListMembers(CabinetSource& source, std::uint64_t offset, std::vector<MemberInfo>& members) {
    members.clear();
    Collector collector(members);
    return Expand(source, offset, collector);
}

}  // namespace vexa::cab
