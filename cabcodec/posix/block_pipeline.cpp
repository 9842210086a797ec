#include "cabcodec/posix/block_pipeline.hpp"

#include <algorithm>

#include "cabcodec/posix/mszip_deflater.hpp"

namespace vexa::cab {
namespace {

// Two slots per worker keep every worker busy while the caller reads and writes.
constexpr unsigned kSlotsPerWorker = 2;

}  // namespace

BlockPipeline::BlockPipeline(unsigned threads) {
    unsigned workers = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    slots_.resize(workers * kSlotsPerWorker);
    // Deflaters are made here, so that running out of memory reaches the caller.
    for (unsigned i = 0; i < workers; ++i) deflaters_.push_back(std::make_unique<MszipDeflater>());
    workers_.reserve(workers);
    for (auto& deflater : deflaters_) workers_.emplace_back([this, &deflater] { Work(*deflater); });
}

BlockPipeline::~BlockPipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workAvailable_.notify_all();
    for (auto& worker : workers_) worker.join();
}

void BlockPipeline::Work(MszipDeflater& deflater) {
    std::unique_lock lock(mutex_);
    for (;;) {
        workAvailable_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) return;
        Slot& slot = slots_[waiting_.front()];
        waiting_.pop_front();
        lock.unlock();
        deflater.Compress(slot.input, slot.history, slot.block);
        lock.lock();
        slot.done = true;
        blockDone_.notify_all();
    }
}

bool BlockPipeline::Push(std::span<const unsigned char> input, std::span<const unsigned char> history,
                         const Deliver& deliver) {
    if (queued_ == slots_.size() && !DeliverOldest(deliver)) return false;
    std::size_t index = (oldest_ + queued_) % slots_.size();
    Slot& slot = slots_[index];
    // No worker holds a free slot, so it is filled without the lock.
    slot.input.assign(input.begin(), input.end());
    slot.history.assign(history.begin(), history.end());
    slot.done = false;
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(index);
    }
    ++queued_;
    workAvailable_.notify_one();
    return true;
}

bool BlockPipeline::DeliverOldest(const Deliver& deliver) {
    Slot& slot = slots_[oldest_];
    {
        std::unique_lock lock(mutex_);
        blockDone_.wait(lock, [&slot] { return slot.done; });
    }
    oldest_ = (oldest_ + 1) % slots_.size();
    --queued_;
    return deliver(slot.block, static_cast<std::uint32_t>(slot.input.size()));
}

bool BlockPipeline::Drain(const Deliver& deliver) {
    while (queued_ > 0) {
        if (!DeliverOldest(deliver)) return false;
    }
    return true;
}

}  // namespace vexa::cab
