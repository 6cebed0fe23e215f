// The scanner's fast path looks at its input 64 bytes at a time: which of them are digits,
// signs, line ends, or bytes that have no place in a grid. This is the one part that uses
// vector instructions: SSE2, which every x86-64 processor has, and a portable version for
// all other processors.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Both classify the 64 bytes at `p` alike. The vector one is inline: the scanner calls it for
// every block.
BlockMasks classify_block_portable(const unsigned char* p);
#if defined(__SSE2__)
inline BlockMasks classify_block_sse2(const unsigned char* p) {
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i line_feed = _mm_set1_epi8('\n');
  const __m128i carriage_return = _mm_set1_epi8('\r');
  const __m128i minus = _mm_set1_epi8('-');
  const __m128i plus = _mm_set1_epi8('+');
  const __m128i zero = _mm_set1_epi8('0');
  const __m128i nine = _mm_set1_epi8(9);
  std::uint64_t masks[6] = {};  // line feeds, CRs, digits, signs, minus signs, known bytes
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
    const __m128i line_feeds = _mm_cmpeq_epi8(bytes, line_feed);
    const __m128i carriage_returns = _mm_cmpeq_epi8(bytes, carriage_return);
    // A digit is a byte whose distance above '0', taken unsigned, is at most 9.
    const __m128i digits = _mm_cmpeq_epi8(_mm_max_epu8(_mm_sub_epi8(bytes, zero), nine), nine);
    const __m128i minus_signs = _mm_cmpeq_epi8(bytes, minus);
    const __m128i signs = _mm_or_si128(minus_signs, _mm_cmpeq_epi8(bytes, plus));
    const __m128i separators =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, space)),
                     _mm_cmpeq_epi8(bytes, tab));
    const __m128i known = _mm_or_si128(_mm_or_si128(separators, _mm_or_si128(digits, signs)),
                                       _mm_or_si128(line_feeds, carriage_returns));
    const __m128i kinds[6] = {line_feeds, carriage_returns, digits, signs, minus_signs, known};
    for (int kind = 0; kind < 6; ++kind) {
      masks[kind] |= static_cast<std::uint64_t>(_mm_movemask_epi8(kinds[kind]) & 0xFFFF)
                     << (16 * part);
    }
  }
  return {masks[0], masks[1], masks[2], masks[2] | masks[3], masks[3], masks[4], ~masks[5]};
}

#endif

inline BlockMasks classify_block(const unsigned char* p) {
#if defined(__SSE2__)
  return classify_block_sse2(p);
#else
  return classify_block_portable(p);
#endif
}

}  // namespace tavrix
