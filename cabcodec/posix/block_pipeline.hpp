#pragma once
// Compresses data blocks on worker threads and hands them back in the order they came,
// on the caller's thread, so every callback of the maker runs where the caller expects it.
// A fixed ring of slots bounds memory whatever the input size.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace vexa::cab {

class MszipDeflater;

class BlockPipeline {
public:
    // Receives a finished block (header and compressed bytes) and its uncompressed size;
    // false stops the pipeline's caller.
    using Deliver = std::function<bool(const std::vector<unsigned char>& block, std::uint32_t uncompressedSize)>;

    explicit BlockPipeline(unsigned threads);
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // Queues a block primed with `history` (the folder's previous input; empty for its
    // first block). A full ring first delivers its oldest block. False if a delivery failed.
    bool Push(std::span<const unsigned char> input, std::span<const unsigned char> history, const Deliver& deliver);
    // Delivers every queued block.
    bool Drain(const Deliver& deliver);

private:
    struct Slot {
        std::vector<unsigned char> input;
        std::vector<unsigned char> history;
        std::vector<unsigned char> block;
        bool done = false;
    };

    void Work(MszipDeflater& deflater);
    bool DeliverOldest(const Deliver& deliver);

    std::vector<Slot> slots_;
    std::size_t oldest_ = 0;   // index of the oldest queued slot
    std::size_t queued_ = 0;   // slots between oldest_ and the next free one
    std::deque<std::size_t> waiting_;  // slots no worker has taken yet, oldest first
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable blockDone_;
    std::vector<std::unique_ptr<MszipDeflater>> deflaters_;
    std::vector<std::thread> workers_;
};

}  // namespace vexa::cab
