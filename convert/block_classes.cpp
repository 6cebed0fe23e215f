#include "block_classes.h"

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

}  // namespace tavrix
