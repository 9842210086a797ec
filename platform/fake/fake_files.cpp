#include "platform/fake/fake_files.hpp"

#include <algorithm>
#include <cstring>
#include <functional>

namespace vexa {
namespace {

class FakeReadableFile final : public ReadableFile {
public:
    FakeReadableFile(std::shared_ptr<const std::string> bytes, std::uint64_t readable)
        : bytes_(std::move(bytes)), readable_(readable) {}

    std::uint64_t Size() const override { return bytes_->size(); }

    std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (offset >= readable_) return 0;
        std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, readable_ - offset));
        std::memcpy(into, bytes_->data() + offset, count);
        return count;
    }

private:
    std::shared_ptr<const std::string> bytes_;
    std::uint64_t readable_;
};

class FakeHeldFile final : public HeldFile {
public:
    explicit FakeHeldFile(std::shared_ptr<void> holders) : holders_(std::move(holders)) {}

private:
    std::shared_ptr<void> holders_;
};

}  // namespace

std::unique_ptr<ReadableFile> FakeFiles::OpenShared(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end()) return nullptr;
    const Entry& entry = it->second;
    return std::make_unique<FakeReadableFile>(entry.bytes, entry.failFrom.value_or(entry.bytes->size()));
}

FakeFiles::Entry* FakeFiles::Find(const std::string& path) {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

std::optional<TimeStamp> FakeFiles::LastWriteTime(const std::string& path) {
    Entry* entry = Find(path);
    return entry ? std::optional(entry->time) : std::nullopt;
}

bool FakeFiles::SetFileTime(const std::string& path, const TimeStamp& local, bool) {
    Entry* entry = Find(path);
    if (entry) entry->time = local;
    return entry != nullptr;
}

std::optional<std::uint32_t> FakeFiles::Attributes(const std::string& path) {
    Entry* entry = Find(path);
    return entry ? std::optional(entry->attributes) : std::nullopt;
}

bool FakeFiles::SetAttributes(const std::string& path, std::uint32_t bits) {
    Entry* entry = Find(path);
    if (entry) entry->attributes = bits;
    return entry != nullptr;
}

std::optional<std::string> FakeFiles::CreateTempFileIn(const std::string& folder, const std::string& prefix) {
    std::string path = folder + "/" + prefix + std::to_string(++tempNames_) + ".tmp";
    Put(path, {});
    return path;
}

std::optional<std::string> FakeFiles::CreateTempFile(const std::string& prefix) {
    return CreateTempFileIn("temp", prefix);
}

namespace {

// Gathers the bytes and hands them to the file when it is closed.
class FakeWritableFile final : public WritableFile {
public:
    explicit FakeWritableFile(std::function<void(std::string)> closed) : closed_(std::move(closed)) {}
    bool Write(const unsigned char* data, std::size_t n) override {
        bytes_.append(reinterpret_cast<const char*>(data), n);
        return true;
    }
    bool Close() override {
        closed_(std::move(bytes_));
        return true;
    }

private:
    std::function<void(std::string)> closed_;
    std::string bytes_;
};

}  // namespace

std::unique_ptr<WritableFile> FakeFiles::CreateNewFile(const std::string& path) {
    if (Has(path)) return nullptr;
    Put(path, {});
    return std::make_unique<FakeWritableFile>([this, path](std::string bytes) { Put(path, std::move(bytes)); });
}

std::unique_ptr<HeldFile> FakeFiles::CreateHeldFile(const std::string& path) {
    if (!Has(path)) Put(path, {});
    Entry& entry = files_.at(path);
    auto holders = entry.holders.lock();
    if (!holders) entry.holders = holders = std::make_shared<char>();
    return std::make_unique<FakeHeldFile>(std::move(holders));
}

bool FakeFiles::DeleteUnlessHeld(const std::string& path) {
    Entry* entry = Find(path);
    if (entry && !entry->holders.expired()) return false;
    files_.erase(path);
    return true;
}

std::optional<DriveSpace> FakeFiles::SpaceOfDrive(const std::string&) { return driveSpace_; }

}  // namespace vexa
