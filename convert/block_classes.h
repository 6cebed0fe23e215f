// The scanner's fast path looks at its input 64 bytes at a time: which of them are digits,
// signs, line ends, or bytes that have no place in a grid. This is the one part that uses
// vector instructions: SSE2, which every x86-64 processor has, and a portable version for
// all other processors.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrix {

// The bytes of one 64-byte block by kind, one bit per byte, the first byte in the lowest bit.
// Separators are what is left: neither a value byte, nor a line end, nor another byte.
struct BlockMasks {
  std::uint64_t line_feeds;
  std::uint64_t carriage_returns;
  std::uint64_t digits;
  std::uint64_t value_bytes;  // digits and signs
  std::uint64_t signs;
  std::uint64_t minus_signs;
  std::uint64_t others;  // bytes that have no place in a grid, and the 0x1A end mark
};

constexpr std::ptrdiff_t block_size = 64;

// Both classify the 64 bytes at `p` alike.
BlockMasks classify_block_portable(const unsigned char* p);
#if defined(__SSE2__)
BlockMasks classify_block_sse2(const unsigned char* p);
#endif

inline BlockMasks classify_block(const unsigned char* p) {
#if defined(__SSE2__)
  return classify_block_sse2(p);
#else
  return classify_block_portable(p);
#endif
}

}  // namespace tavrix
