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
    void MemberFailed(const MemberInfo& member, ExpandStatus) override { failedAt = member.name; }

    std::string failedAt;

private:
    std::vector<MemberInfo>& members_;
};

}  // namespace

ExpandStatus ListMembers(CabinetSource& source, std::uint64_t offset, std::vector<MemberInfo>& members,
                         std::string* failedAt) {
    members.clear();
    Collector collector(members);
    ExpandStatus status = Expand(source, offset, collector);
    if (failedAt) *failedAt = collector.failedAt;
    return status;
}

std::string FailureCause(ExpandStatus status, const std::string& member) {
    const std::string at = member.empty() ? "" : " in " + member;
    switch (status) {
        case ExpandStatus::Done: return {};
        case ExpandStatus::NotACabinet: return "not a cabinet";
        case ExpandStatus::UnsafeName: return "unsafe name " + member;
        case ExpandStatus::ReadFailed: return "the cabinet could not be read" + at;
        case ExpandStatus::WriteFailed: return "could not write " + member;
        case ExpandStatus::BadChecksum: return "checksum error" + at;
        case ExpandStatus::BadData: return "damaged or unsupported data" + at;
        case ExpandStatus::Refused: return "could not complete " + member;
    }
    return {};
}

}  // namespace vexa::cab
