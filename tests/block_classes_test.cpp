// The vector classifier of 64-byte blocks against the portable one, byte by byte: every byte
// value in every position, and random blocks of the bytes grids are made of.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "convert/block_classes.h"

namespace tavrix {
namespace {

void expect_same(const BlockMasks& a, const BlockMasks& b) {
  EXPECT_EQ(a.line_feeds, b.line_feeds);
  EXPECT_EQ(a.carriage_returns, b.carriage_returns);
  EXPECT_EQ(a.digits, b.digits);
  EXPECT_EQ(a.value_bytes, b.value_bytes);
  EXPECT_EQ(a.signs, b.signs);
  EXPECT_EQ(a.minus_signs, b.minus_signs);
  EXPECT_EQ(a.others, b.others);
}

TEST(BlockClasses, PortableClassifierKnowsEveryByte) {
  std::array<unsigned char, block_size> block{};
  for (int i = 0; i < block_size; ++i) block[i] = "1,-2\t+3 \r\n;x"[i % 12];
  const BlockMasks masks = classify_block_portable(block.data());
  // Positions of "1,-2\t+3 \r\n;x" repeat every 12 bytes; check the first round.
  EXPECT_EQ(masks.digits & 0xFFF, 0b000001001001u);
  EXPECT_EQ(masks.signs & 0xFFF, 0b000000100100u);
  EXPECT_EQ(masks.minus_signs & 0xFFF, 0b000000000100u);
  EXPECT_EQ(masks.value_bytes & 0xFFF, 0b000001101101u);
  EXPECT_EQ(masks.carriage_returns & 0xFFF, 0b000100000000u);
  EXPECT_EQ(masks.line_feeds & 0xFFF, 0b001000000000u);
  EXPECT_EQ(masks.others & 0xFFF, 0b110000000000u);
}

#if defined(__SSE2__)
TEST(BlockClasses, VectorClassifierAgreesWithPortable) {
  std::array<unsigned char, block_size> block{};
  for (int value = 0; value < 256; ++value) {
    for (int position = 0; position < block_size; ++position) {
      block.fill('7');
      block[position] = static_cast<unsigned char>(value);
      expect_same(classify_block_sse2(block.data()), classify_block_portable(block.data()));
    }
  }
  std::mt19937 random(11);
  const char alphabet[] = "0123456789-+ ,\t\r\n\x1A.x";
  for (int round = 0; round < 20000; ++round) {
    for (auto& byte : block) {
      byte = round % 4 == 0
                 ? static_cast<unsigned char>(random())
                 : static_cast<unsigned char>(alphabet[random() % (sizeof alphabet - 1)]);
    }
    expect_same(classify_block_sse2(block.data()), classify_block_portable(block.data()));
  }
}
#endif

}  // namespace
}  // namespace tavrix
