#include "cabcodec/win32/fdi_pass.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cabcodec/win32/seek_target.hpp"

namespace vexa::cab {
namespace {

constexpr UINT kFailed = static_cast<UINT>(-1);
constexpr std::string_view kNamePrefix = "vexa-cabinet-";

std::string NameOf(const FdiPass* pass) {
    char digits[2 * sizeof(std::uintptr_t)];
    auto end = std::to_chars(std::begin(digits), std::end(digits), reinterpret_cast<std::uintptr_t>(pass), 16).ptr;
    return std::string(kNamePrefix) + std::string(digits, end);
}

FdiPass* PassNamed(std::string_view name) {
    if (!name.starts_with(kNamePrefix)) return nullptr;
    name.remove_prefix(kNamePrefix.size());
    std::uintptr_t address = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), address, 16);
    if (error != std::errc() || end != name.data() + name.size()) return nullptr;
    return reinterpret_cast<FdiPass*>(address);
}

}  // namespace

// What an FDI handle points at; operations a kind of file does not have fail.
class FdiPass::File {
public:
    explicit File(FdiPass& pass) : pass_(pass) {}
    virtual ~File() = default;
    virtual UINT Read(unsigned char*, UINT) { return kFailed; }
    virtual UINT Write(const unsigned char*, UINT) { return kFailed; }
    virtual long Seek(long, int) { return -1; }
    FdiPass& Pass() { return pass_; }

protected:
    FdiPass& pass_;
};

class FdiPass::CabinetReader final : public File {
public:
    using File::File;
    UINT Read(unsigned char* into, UINT n) override {
        if (pass_.Failed()) return kFailed;
        auto got = pass_.cabinet_.ReadAt(position_, into, n);
        if (!got) {
            pass_.Fail(ExpandStatus::ReadFailed);
            return kFailed;
        }
        position_ += *got;
        return static_cast<UINT>(*got);
    }
    long Seek(long distance, int origin) override {
        auto target = SeekTarget(position_, pass_.cabinet_.Size(), distance, origin);
        if (!target) return -1;
        position_ = *target;
        return static_cast<long>(*target);
    }

private:
    std::uint64_t position_ = 0;
};

class FdiPass::MemberWriter final : public File {
public:
    MemberWriter(FdiPass& pass, std::unique_ptr<MemberSink> sink) : File(pass), sink_(std::move(sink)) {}
    UINT Write(const unsigned char* data, UINT n) override {
        if (pass_.Failed()) return kFailed;
        if (!sink_->Write(data, n)) {
            pass_.Fail(ExpandStatus::WriteFailed);
            return kFailed;
        }
        written_ += n;
        return n;
    }
    std::pair<std::unique_ptr<MemberSink>, std::uint64_t> Take() { return {std::move(sink_), written_}; }

private:
    std::unique_ptr<MemberSink> sink_;
    std::uint64_t written_ = 0;
};

struct FdiPass::Callbacks {
    static File& Of(INT_PTR handle) { return *reinterpret_cast<File*>(handle); }

    static void* DIAMONDAPI Allocate(ULONG bytes) { return std::malloc(bytes); }
    static void DIAMONDAPI Release(void* memory) { std::free(memory); }
    // FDI opens only the name it was given: the expander refuses to go on to a next cabinet.
    static INT_PTR DIAMONDAPI Open(char* name, int, int) {
        FdiPass* pass = PassNamed(name);
        return pass == nullptr ? -1 : pass->Keep(std::make_unique<CabinetReader>(*pass));
    }
    static UINT DIAMONDAPI Read(INT_PTR handle, void* into, UINT n) {
        return Of(handle).Read(static_cast<unsigned char*>(into), n);
    }
    static UINT DIAMONDAPI Write(INT_PTR handle, void* data, UINT n) {
        return Of(handle).Write(static_cast<const unsigned char*>(data), n);
    }
    static int DIAMONDAPI Close(INT_PTR handle) {
        Of(handle).Pass().Close(handle);
        return 0;
    }
    static long DIAMONDAPI Seek(INT_PTR handle, long distance, int origin) { return Of(handle).Seek(distance, origin); }
};

FdiPass::FdiPass(CabinetSource& cabinet)
    : cabinet_(cabinet),
      fdi_(FDICreate(Callbacks::Allocate, Callbacks::Release, Callbacks::Open, Callbacks::Read, Callbacks::Write,
                     Callbacks::Close, Callbacks::Seek, cpuUNKNOWN, &erf_)) {}

FdiPass::~FdiPass() {
    if (fdi_ != nullptr) FDIDestroy(fdi_);
}

bool FdiPass::IsCabinet() {
    if (fdi_ == nullptr) return false;
    INT_PTR handle = Keep(std::make_unique<CabinetReader>(*this));
    FDICABINETINFO info{};
    BOOL isCabinet = FDIIsCabinet(fdi_, handle, &info);
    Close(handle);
    return isCabinet && !Failed();
}

bool FdiPass::Copy(PFNFDINOTIFY notify, void* context) {
    if (fdi_ == nullptr) return false;
    std::string name = NameOf(this);
    char noPath[] = "";
    return FDICopy(fdi_, name.data(), noPath, 0, notify, nullptr, context);
}

INT_PTR FdiPass::OpenMember(std::unique_ptr<MemberSink> sink) {
    return Keep(std::make_unique<MemberWriter>(*this, std::move(sink)));
}

std::pair<std::unique_ptr<MemberSink>, std::uint64_t> FdiPass::CloseMember(INT_PTR handle) {
    auto found = Find(handle);
    auto* writer = found == files_.end() ? nullptr : dynamic_cast<MemberWriter*>(found->get());
    if (writer == nullptr) return {nullptr, 0};
    auto taken = writer->Take();
    files_.erase(found);
    return taken;
}

INT_PTR FdiPass::Keep(std::unique_ptr<File> file) {
    files_.push_back(std::move(file));
    return reinterpret_cast<INT_PTR>(files_.back().get());
}

std::vector<std::unique_ptr<FdiPass::File>>::iterator FdiPass::Find(INT_PTR handle) {
    return std::find_if(files_.begin(), files_.end(),
                        [&](const auto& file) { return reinterpret_cast<INT_PTR>(file.get()) == handle; });
}

void FdiPass::Close(INT_PTR handle) {
    auto found = Find(handle);
    if (found != files_.end()) files_.erase(found);
}

}  // namespace vexa::cab
