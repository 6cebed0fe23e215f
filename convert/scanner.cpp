// The cell scanner: text grid in, 16-bit big-endian cells out, one pass in constant memory.
#include <array>

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

// Writes the value just ended as one cell, or stops if it does not fit 16 bits.
bool end_value(ScanState& state, unsigned char*& out) {
  const std::uint64_t limit = state.negative ? 32768 : 32767;
  if (state.more_digits || state.magnitude > limit) {
    state.error.negative = state.negative;
    state.error.magnitude = state.magnitude;
    state.error.more_digits = state.more_digits;
    return stop(state, ErrorCode::value_out_of_range, state.value_column);
  }
  const auto magnitude = static_cast<std::uint16_t>(state.magnitude);
  // Two's complement of the magnitude, computed in unsigned arithmetic so -32768 needs no care.
  const std::uint16_t cell =
      state.negative ? static_cast<std::uint16_t>(0U - magnitude) : magnitude;
  out[0] = static_cast<unsigned char>(cell >> 8);
  out[1] = static_cast<unsigned char>(cell & 0xFF);
  out += 2;
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

  while (p < end && state.phase != Phase::ended) {
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

}  // namespace tavrix
