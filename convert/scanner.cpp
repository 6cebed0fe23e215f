// The cell scanner: text grid in, 16-bit big-endian cells out, one pass in constant memory.
#include <array>
#include <bit>
#include <cstring>

#include "block_classes.h"
#include "convert.h"

namespace tavrix {
namespace {

using Phase = ScanState::Phase;

enum ByteClass : std::uint8_t {
  digit,
  sign,
  separator,
  line_feed,
  carriage_return,
  end_mark,
  other
};

constexpr std::array<std::uint8_t, 256> make_byte_classes() {
  std::array<std::uint8_t, 256> classes{};
  for (auto& c : classes) c = other;
  for (int c = '0'; c <= '9'; ++c) classes[c] = digit;
  classes['-'] = sign;
  classes['+'] = sign;
  classes[' '] = separator;
  classes['\t'] = separator;
  classes[','] = separator;
  classes['\n'] = line_feed;
  classes['\r'] = carriage_return;
  // A 0x1A byte marks the end of a text file on the consoles this format comes from; nothing
  // after it is read.
  classes[0x1A] = end_mark;
  return classes;
}
constexpr std::array<std::uint8_t, 256> byte_classes = make_byte_classes();

// Below this a magnitude takes one more digit without leaving uint64; it holds the first 18
// significant digits, which is all an error message shows of an absurdly long value.
constexpr std::uint64_t magnitude_cap = 100'000'000'000'000'000ULL;

bool stop(ScanState& state, ErrorCode code, std::int64_t column) {
  state.error.code = code;
  state.error.line = state.line;
  state.error.column = column;
  state.phase = Phase::ended;
  return false;
}

bool stop_on_byte(ScanState& state, std::uint8_t byte, std::int64_t column) {
  state.error.byte = byte;
  return stop(state, ErrorCode::unexpected_byte, column);
}

// Appends one cell: two's complement of the value's magnitude (computed without a branch, in
// unsigned arithmetic, so -32768 needs no care), most significant byte first.
inline void write_cell(unsigned char*& out, std::uint32_t magnitude, unsigned negative) {
  const std::uint32_t cell = (magnitude ^ (0U - negative)) + negative;
  const unsigned char bytes[2] = {static_cast<unsigned char>(cell >> 8),
                                  static_cast<unsigned char>(cell)};
  std::memcpy(out, bytes, 2);
  out += 2;
}

// Writes the value just ended as one cell, or stops if it does not fit 16 bits.
bool end_value(ScanState& state, unsigned char*& out) {
  const std::uint64_t limit = state.negative ? 32768 : 32767;
  if (state.more_digits || state.magnitude > limit) {
    state.error.negative = state.negative;
    state.error.magnitude = state.magnitude;
    state.error.more_digits = state.more_digits;
    return stop(state, ErrorCode::value_out_of_range, state.value_column);
  }
  write_cell(out, static_cast<std::uint32_t>(state.magnitude), state.negative ? 1 : 0);
  ++state.values_in_line;
  return true;
}

// A line has ended (or the input did). Lines without a value are not rows.
bool end_line(ScanState& state) {
  if (state.values_in_line == 0) return true;
  if (state.columns == 0) {
    state.columns = state.values_in_line;
  } else if (state.values_in_line != state.columns) {
    state.error.values = state.values_in_line;
    state.error.expected = state.columns;
    return stop(state, ErrorCode::row_length_mismatch, 0);
  }
  ++state.rows;
  state.values_in_line = 0;
  return true;
}

// The first step of turning up to five digits, read as one little-endian word less '0' in each
// byte, into a number, indexed by where the first non-digit's marker bit stands (bit 7 of its
// byte). Multiplying by 2^(8 * (8 - length)) moves the digits up to the top of the word, as if
// led by zeros, and drops the bytes after them; multiplying by 10 * 2^8 + 1 adds each digit,
// times ten, to the byte above it. Both are one multiplication modulo 2^64. Each byte is below
// ten and each sum below 100, so nothing carries from byte to byte. Shifted down by eight,
// bytes 2, 4 and 6 hold the digit pairs in order (the first pair a single digit at most).
constexpr std::array<std::uint64_t, 64> make_digit_alignment() {
  std::array<std::uint64_t, 64> factors{};
  for (unsigned length = 1; length <= 5; ++length) {
    factors[8 * length + 7] = (std::uint64_t{1} << (8 * (8 - length))) * (10 * 256 + 1);
  }
  return factors;
}
constexpr std::array<std::uint64_t, 64> digit_alignment = make_digit_alignment();

// Reads eight bytes as a little-endian word, on any machine.
std::uint64_t load_word(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    word = ((word & 0x00000000FFFFFFFFULL) << 32) | (word >> 32);
    word = ((word & 0x0000FFFF0000FFFFULL) << 16) | ((word >> 16) & 0x0000FFFF0000FFFFULL);
    word = ((word & 0x00FF00FF00FF00FFULL) << 8) | ((word >> 8) & 0x00FF00FF00FF00FFULL);
  }
  return word;
}

// The fast path for what real grids are made of: blocks of digits, signs, separators and
// line ends, with values of up to five digits. Each block is classified in a few vector
// instructions, and checked as a whole against the grammar: a sign only at a value's start
// and followed by a digit, no run of six digits, no value followed by a sign or a stray byte.
// The values that start in it are then found from its bit masks, so that parsing one value
// never waits for the one before. Called only between values; returns where the byte-by-
// byte state machine is to take over (at a block that fails the checks, or a value out of
// range) and, in `slow_until`, how far the state machine should go before the fast path is
// tried again.
const unsigned char* scan_blocks(ScanState& state, const unsigned char* p, const unsigned char* end,
                                 unsigned char*& out, const unsigned char* origin,
                                 std::int64_t origin_offset, const unsigned char*& slow_until) {
  // Each block is checked with the next one's masks at hand; a value that starts in a
  // block's last byte is read with one word load that stays within the next block.
  if (end - p < 2 * block_size) {
    slow_until = end;
    return p;
  }
  std::int64_t values_in_line = state.values_in_line;
  unsigned char* o = out;
  std::uint64_t value_carry = 0;    // the last byte of the previous block was a value's
  std::uint64_t cr_carry = 0;       // the last byte of the previous block was a CR
  const unsigned char* resume = p;  // just past the last line end, or the block start
  BlockMasks block = classify_block(p);

  for (; end - p >= 2 * block_size; p += block_size) {
    const BlockMasks next = classify_block(p + block_size);
    const std::uint64_t value_starts = block.value_bytes & ~(block.value_bytes << 1 | value_carry);
    const std::uint64_t digit_follows = block.digits >> 1 | next.digits << 63;
    std::uint64_t faults = block.others | (block.signs & ~(value_starts & digit_follows));
    // Six digits in a row, counting those that run on into the next block.
    std::uint64_t run = block.digits;
    for (int shift = 1; shift < 6; ++shift) {
      run &= block.digits >> shift | next.digits << (64 - shift);
    }
    faults |= run;
    // A value running on into the next block must end there in a separator or a line end,
    // within five digits even when only its sign is in this block.
    if (block.value_bytes >> 63) {
      const int tail = std::countr_zero(~next.digits);
      faults |= tail > 5 ? 1 : ((next.signs | next.others) >> tail) & 1;
    }
    if (faults != 0) {
      slow_until = p + block_size;
      break;
    }

    // A LF right after a CR belongs to the CR's line end.
    const std::uint64_t joined_line_feeds =
        block.line_feeds & (block.carriage_returns << 1 | cr_carry);
    const std::uint64_t line_ends =
        (block.line_feeds & ~joined_line_feeds) | block.carriage_returns;
    const std::int64_t block_offset = origin_offset + (p - origin);

    // Values are parsed in runs between line ends, which are rare: no test per value.
    std::uint64_t starts_left = value_starts;
    std::uint64_t line_ends_left = line_ends;
    for (;;) {
      const std::uint64_t before_line_end =
          line_ends_left == 0 ? ~std::uint64_t{0} : (line_ends_left & (0 - line_ends_left)) - 1;
      for (std::uint64_t starts = starts_left & before_line_end; starts != 0;
           starts &= starts - 1) {
        const int i = std::countr_zero(starts);
        const unsigned negative = (block.minus_signs >> i) & 1;
        // Each byte less '0'; a byte is a digit when that is below 10. Borrows and carries
        // only travel towards later bytes, so every byte before the first non-digit is exact.
        // The checks above leave one to five digits here, then a non-digit.
        const std::uint64_t digits =
            load_word(p + i + ((block.signs >> i) & 1)) - 0x3030303030303030ULL;
        const std::uint64_t non_digits =
            (digits | (digits + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
        const std::uint64_t pairs = digits * digit_alignment[std::countr_zero(non_digits)] >> 8;
        // One multiplication weighs the pairs in bytes 2, 4 and 6 by 10000, 100 and 1 and sums
        // them in bits 32 to 48, where nothing else lands: the other products fall below bit
        // 32 or are even multiples of 2^48.
        const std::uint64_t value =
            (((pairs >> 16) & 0x000000FF00FF00FFULL) * ((10000ULL << 32) + (100ULL << 16) + 1) >>
             32) &
            0x1FFFF;
        const auto magnitude = static_cast<std::uint32_t>(value);
        // (A "-0" fails this too and goes the slow way: it only costs time.)
        if (magnitude - negative > 32767) {
          slow_until = p + i + 1;
          state.values_in_line = values_in_line;
          out = o;
          return p + i;
        }
        write_cell(o, magnitude, negative);
        ++values_in_line;
      }
      if (line_ends_left == 0) break;
      starts_left &= ~before_line_end;

      const int i = std::countr_zero(line_ends_left);
      line_ends_left &= line_ends_left - 1;
      state.values_in_line = values_in_line;
      if (!end_line(state)) {
        out = o;
        return p + i;
      }
      values_in_line = 0;
      const int length = p[i] == '\r' && p[i + 1] == '\n' ? 2 : 1;
      ++state.line;
      state.line_start = block_offset + i + length;
      resume = p + i + length;
    }
    value_carry = block.value_bytes >> 63;
    cr_carry = block.carriage_returns >> 63;
    block = next;
  }

  state.values_in_line = values_in_line;
  out = o;
  // What the state machine takes over lies past the last line end handled, and past the
  // tail of a value that ran on from the previous block and was written already.
  if (resume > p) return resume;
  return value_carry ? p + std::countr_zero(~block.digits) : p;
}

}  // namespace

std::size_t scan_cells(ScanState& state, const unsigned char* data, std::size_t size,
                       unsigned char* cells) {
  const unsigned char* p = data;
  const unsigned char* const end = data + size;
  unsigned char* out = cells;

  if (state.phase == Phase::start_of_input) {
    static constexpr unsigned char bom[3] = {0xEF, 0xBB, 0xBF};
    while (p < end && state.phase == Phase::start_of_input) {
      if (*p == bom[state.bom_bytes]) {
        ++p;
        if (++state.bom_bytes == 3) state.phase = Phase::between_values;
      } else if (state.bom_bytes > 0) {
        // A broken mark: its first byte is the first one that belongs to no value.
        stop_on_byte(state, bom[0], 1);
      } else {
        state.phase = Phase::between_values;
      }
    }
  }

  // Offsets count from the first byte after the byte-order mark.
  const unsigned char* const origin = p;
  const std::int64_t origin_offset = state.offset;
  auto offset_of = [&](const unsigned char* q) { return origin_offset + (q - origin); };
  auto column_of = [&](const unsigned char* q) { return offset_of(q) - state.line_start + 1; };
  auto start_line_at = [&](const unsigned char* q) {
    ++state.line;
    state.line_start = offset_of(q);
  };

  const unsigned char* slow_until = p;
  while (p < end && state.phase != Phase::ended) {
    if (state.phase == Phase::between_values && p >= slow_until) {
      p = scan_blocks(state, p, end, out, origin, origin_offset, slow_until);
      if (state.phase == Phase::ended || p == end) break;
    }
    switch (state.phase) {
      case Phase::after_cr:
        if (*p == '\n') {
          ++p;
          state.line_start = offset_of(p);
        }
        state.phase = Phase::between_values;
        break;

      case Phase::between_values: {
        const std::uint8_t c = *p;
        switch (byte_classes[c]) {
          case separator:
            ++p;
            break;
          case digit:
            state.negative = false;
            state.magnitude = 0;
            state.more_digits = false;
            state.value_column = column_of(p);
            state.phase = Phase::in_digits;
            break;
          case sign:
            state.negative = c == '-';
            state.magnitude = 0;
            state.more_digits = false;
            state.value_column = column_of(p);
            ++p;
            state.phase = Phase::after_sign;
            break;
          case line_feed:
          case carriage_return:
            if (!end_line(state)) break;
            ++p;
            start_line_at(p);
            if (c == '\r') state.phase = Phase::after_cr;
            break;
          case end_mark:
            state.phase = Phase::ended;
            break;
          default:
            stop_on_byte(state, c, column_of(p));
            break;
        }
        break;
      }

      case Phase::after_sign: {
        const std::uint8_t c = *p;
        const std::uint8_t byte_class = byte_classes[c];
        if (byte_class == digit) {
          state.phase = Phase::in_digits;
        } else if (byte_class == sign || byte_class == other) {
          stop_on_byte(state, c, column_of(p));
        } else {
          stop(state, ErrorCode::sign_without_digits, state.value_column);
        }
        break;
      }

      case Phase::in_digits: {
        std::uint64_t magnitude = state.magnitude;
        while (p < end) {
          const unsigned digit_value = static_cast<unsigned>(*p) - '0';
          if (digit_value > 9) break;
          if (magnitude < magnitude_cap) {
            magnitude = magnitude * 10 + digit_value;
          } else {
            state.more_digits = true;
          }
          ++p;
        }
        state.magnitude = magnitude;
        if (p == end) break;
        const std::uint8_t byte_class = byte_classes[*p];
        if (byte_class == sign || byte_class == other) {
          stop_on_byte(state, *p, column_of(p));
        } else if (end_value(state, out)) {
          // The separator, line end or end mark is handled between values.
          state.phase = Phase::between_values;
        }
        break;
      }

      case Phase::start_of_input:
      case Phase::ended:
        break;
    }
  }

  state.offset = offset_of(p);
  return static_cast<std::size_t>(out - cells) / 2;
}

std::size_t finish_scan(ScanState& state, unsigned char* cells) {
  if (state.error.code != ErrorCode::success) return 0;
  unsigned char* out = cells;
  switch (state.phase) {
    case Phase::start_of_input:
      if (state.bom_bytes > 0) {
        state.error.byte = 0xEF;
        stop(state, ErrorCode::unexpected_byte, 1);
        return 0;
      }
      break;
    case Phase::after_sign:
      stop(state, ErrorCode::sign_without_digits, state.value_column);
      return 0;
    case Phase::in_digits:
      if (!end_value(state, out)) return 0;
      break;
    case Phase::between_values:
    case Phase::after_cr:
    case Phase::ended:
      break;
  }
  // The last line counts as a row whether or not a line end follows it.
  if (end_line(state) && state.rows == 0) {
    stop(state, ErrorCode::no_values, 0);
    state.error.line = 0;  // the fault is the whole input's, not a line's
  }
  if (state.error.code == ErrorCode::success) state.phase = Phase::ended;
  return static_cast<std::size_t>(out - cells) / 2;
}

ScanState scan_state_at_line_start(std::int64_t columns) {
  ScanState state;
  state.phase = Phase::between_values;  // no byte-order mark past the first line
  state.columns = columns;
  return state;
}

void join_scans(ScanState& state, const ScanState& rest) {
  // `rest` counted its lines from 1 and its offsets from 0 at the line start where it began.
  const std::int64_t lines_before = state.line - 1;
  const std::int64_t offset_before = state.offset;
  state.phase = rest.phase;
  state.rows += rest.rows;
  state.values_in_line = rest.values_in_line;
  state.line = lines_before + rest.line;
  state.offset = offset_before + rest.offset;
  state.line_start = offset_before + rest.line_start;
  // A value under way keeps its column: columns count from the line's start either way.
  state.negative = rest.negative;
  state.magnitude = rest.magnitude;
  state.more_digits = rest.more_digits;
  state.value_column = rest.value_column;
  state.error = rest.error;
  if (state.error.code != ErrorCode::success) state.error.line += lines_before;
}

}  // namespace tavrix
