#include "block_classes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrix {

BlockMasks classify_block_portable(const unsigned char* p) {
  BlockMasks masks{};
  for (int i = 0; i < block_size; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    const unsigned char c = p[i];
    if (c >= '0' && c <= '9') {
      masks.digits |= bit;
      masks.value_bytes |= bit;
    } else if (c == '-' || c == '+') {
      masks.signs |= bit;
      masks.value_bytes |= bit;
      if (c == '-') masks.minus_signs |= bit;
    } else if (c == '\n') {
      masks.line_feeds |= bit;
    } else if (c == '\r') {
      masks.carriage_returns |= bit;
    } else if (c != ',' && c != ' ' && c != '\t') {
      masks.others |= bit;
    }
  }
  return masks;
}

#if defined(__SSE2__)

BlockMasks classify_block_sse2(const unsigned char* p) {
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

}  // namespace tavrix
