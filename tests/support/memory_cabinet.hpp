#pragma once
// Cabinets in memory for codec tests: make callbacks with named in-memory sources and
// injectable failures, a cabinet source over a string, and an expansion handler that
// keeps every member.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cabcodec/expander.hpp"
#include "cabcodec/maker.hpp"

namespace vexa::test {

inline std::string Bytes(const unsigned char* data, std::size_t n) { return {reinterpret_cast<const char*>(data), n}; }

// 2024-02-29 12:34:56 in MS-DOS form.
inline constexpr std::uint16_t kDosDate = (2024 - 1980) << 9 | 2 << 5 | 29;
inline constexpr std::uint16_t kDosTime = 12 << 11 | 34 << 5 | 56 / 2;

class MemoryMakeCallbacks final : public cab::MakeCallbacks {
public:
    struct Source {
        std::string bytes;
        std::uint16_t dosDate = kDosDate;
        std::uint16_t dosTime = kDosTime;
        std::uint16_t attributes = 0x20;
        std::optional<std::size_t> failReadsFrom;
    };

    void Put(const std::string& path, std::string bytes, std::uint16_t attributes = 0x20) {
        sources_[path] = Source{std::move(bytes), kDosDate, kDosTime, attributes, std::nullopt};
    }
    Source& At(const std::string& path) { return sources_.at(path); }
    // Writes fail once this many bytes were written to the temporary file, or to the cabinet.
    void FailTemporaryWritesAfter(std::size_t bytes) { temporaryBudget_ = bytes; }
    void FailCabinetWritesAfter(std::size_t bytes) { cabinetBudget_ = bytes; }
    void RefuseTemporary() { refuseTemporary_ = true; }

    const std::string& Cabinet() const { return cabinet_; }
    const std::string& CabinetPath() const { return cabinetPath_; }
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& Progress() const { return progress_; }

    std::optional<cab::SourceFile> OpenSource(const std::string& path) override {
        auto found = sources_.find(path);
        if (found == sources_.end()) return std::nullopt;
        const Source& s = found->second;
        return cab::SourceFile{std::make_unique<Reader>(s), s.dosDate, s.dosTime, s.attributes};
    }
    void BlockCompressed(std::uint32_t compressed, std::uint32_t uncompressed) override {
        progress_.emplace_back(compressed, uncompressed);
    }
    std::unique_ptr<cab::TemporaryFile> CreateTemporary() override {
        if (refuseTemporary_) return nullptr;
        return std::make_unique<Temporary>(*this);
    }
    std::unique_ptr<cab::OutputFile> CreateCabinet(const std::string& path) override {
        cabinetPath_ = path;
        cabinet_.clear();
        return std::make_unique<CabinetOut>(*this);
    }

private:
    class Reader final : public cab::SourceReader {
    public:
        explicit Reader(const Source& source) : source_(source) {}
        std::optional<std::size_t> Read(unsigned char* into, std::size_t n) override {
            if (source_.failReadsFrom && position_ >= *source_.failReadsFrom) return std::nullopt;
            std::size_t got = std::min(n, source_.bytes.size() - position_);
            std::memcpy(into, source_.bytes.data() + position_, got);
            position_ += got;
            return got;
        }

    private:
        const Source& source_;
        std::size_t position_ = 0;
    };

    static bool Spend(std::size_t& budget, std::size_t n) {
        if (n > budget) return false;
        budget -= n;
        return true;
    }

    class Temporary final : public cab::TemporaryFile {
    public:
        explicit Temporary(MemoryMakeCallbacks& owner) : owner_(owner) {}
        bool Write(const unsigned char* data, std::size_t n) override {
            if (!Spend(owner_.temporaryBudget_, n)) return false;
            bytes_.append(Bytes(data, n));
            return true;
        }
        std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
            std::size_t got = offset < bytes_.size() ? std::min<std::size_t>(n, bytes_.size() - offset) : 0;
            std::memcpy(into, bytes_.data() + offset, got);
            return got;
        }

    private:
        MemoryMakeCallbacks& owner_;
        std::string bytes_;
    };

    class CabinetOut final : public cab::OutputFile {
    public:
        explicit CabinetOut(MemoryMakeCallbacks& owner) : owner_(owner) {}
        bool Write(const unsigned char* data, std::size_t n) override {
            if (!Spend(owner_.cabinetBudget_, n)) return false;
            owner_.cabinet_.append(Bytes(data, n));
            return true;
        }

    private:
        MemoryMakeCallbacks& owner_;
    };

    std::map<std::string, Source> sources_;
    std::size_t temporaryBudget_ = SIZE_MAX;
    std::size_t cabinetBudget_ = SIZE_MAX;
    bool refuseTemporary_ = false;
    std::string cabinet_;
    std::string cabinetPath_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress_;
};

// A cabinet held in a string; reads fail from `failReadsFrom` on, as a cancelled or
// failing source would.
class MemorySource final : public cab::CabinetSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    void FailReadsFrom(std::uint64_t offset) { failFrom_ = offset; }
    std::uint64_t Size() const override { return bytes_.size(); }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (offset + n > failFrom_ && n > 0) return std::nullopt;
        std::size_t got = offset < bytes_.size() ? std::min<std::size_t>(n, bytes_.size() - offset) : 0;
        std::memcpy(into, bytes_.data() + offset, got);
        return got;
    }

private:
    std::string bytes_;
    std::uint64_t failFrom_ = UINT64_MAX;
};

// Keeps every member it is offered (or those `wanted` accepts) in memory.
class MemoryExpandHandler final : public cab::ExpandHandler {
public:
    struct Member {
        cab::MemberInfo info;
        std::string bytes;
        bool complete = false;
    };

    std::vector<Member> members;
    std::vector<std::string> offered;
    bool (*wanted)(const cab::MemberInfo&) = nullptr;
    bool failWrites = false;
    bool refuseComplete = false;

    std::unique_ptr<cab::MemberSink> CopyFile(const cab::MemberInfo& info) override {
        offered.push_back(info.name);
        if (wanted && !wanted(info)) return nullptr;
        members.push_back({info, {}, false});
        return std::make_unique<Sink>(*this, members.size() - 1);
    }
    bool FileComplete(std::unique_ptr<cab::MemberSink> sink, const cab::MemberInfo&) override {
        members[static_cast<Sink&>(*sink).index].complete = true;
        return !refuseComplete;
    }

private:
    struct Sink final : cab::MemberSink {
        Sink(MemoryExpandHandler& owner, std::size_t at) : handler(owner), index(at) {}
        bool Write(const unsigned char* data, std::size_t n) override {
            if (handler.failWrites) return false;
            handler.members[index].bytes.append(Bytes(data, n));
            return true;
        }
        MemoryExpandHandler& handler;
        std::size_t index;
    };
};

struct FileSpec {
    std::string name;  // in the cabinet
    std::string bytes;
};

// Makes a cabinet of `files` in memory, adding them in order; empty if the maker failed.
inline std::string MakeCabinet(const std::vector<FileSpec>& files, cab::MakeParameters parameters = {}) {
    if (parameters.name.empty()) parameters.name = "test.cab";
    MemoryMakeCallbacks callbacks;
    cab::CabinetMaker maker(parameters, callbacks);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string path = "source" + std::to_string(i);
        callbacks.Put(path, files[i].bytes);
        if (!maker.AddFile(path, files[i].name)) return {};
    }
    return maker.FlushCabinet() ? callbacks.Cabinet() : std::string();
}

struct Member {
    std::string name;
    std::string bytes;
    std::uint16_t attributes = 0x20;
};

// A cabinet of these members, stored with kDosDate and kDosTime: 2024-02-29 12:34:56.
inline std::string CabinetOf(const std::vector<Member>& members) {
    MemoryMakeCallbacks callbacks;
    cab::MakeParameters parameters;
    parameters.name = "made.cab";
    cab::CabinetMaker maker(parameters, callbacks);
    for (std::size_t i = 0; i < members.size(); ++i) {
        std::string source = "source" + std::to_string(i);
        callbacks.Put(source, members[i].bytes, members[i].attributes);
        if (!maker.AddFile(source, members[i].name)) return {};
    }
    return maker.FlushCabinet() ? callbacks.Cabinet() : std::string();
}

}  // namespace vexa::test
