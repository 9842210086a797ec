#pragma once
// A program that carries a cabinet after its own image copies that tail into a file of its
// own, which the codec then reads like any cabinet. The copy goes chunk by chunk, so an
// attachment of any size takes a buffer of at most kMaxCopyChunk bytes.

#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

#include "platform/files.hpp"

namespace vexa::cab {

inline constexpr std::uint64_t kMaxCopyChunk = 1'000'000;

enum class TailCopy { Done, ShortRead, WriteFailed };

// The buffer for a tail of `length` bytes: min(length, kMaxCopyChunk) bytes; empty when
// memory is short.
std::vector<unsigned char> TailBuffer(std::uint64_t length);

// Copies the bytes of `source` from `offset` to its end into `out`, a buffer's size at a
// time. An empty buffer cannot copy anything and counts as a short read.
TailCopy CopyTail(ReadableFile& source, std::uint64_t offset, std::span<unsigned char> buffer, std::ostream& out);

}  // namespace vexa::cab
