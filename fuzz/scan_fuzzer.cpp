// Differential fuzzing of the cell scanner against the reference scanner in tests/.
//
// The first byte of each input seeds the sizes of the pieces that the rest is fed in, so
// that values, CR LF pairs and the byte-order mark land across piece edges. Any disagreement,
// a grid whose cell count is not columns x rows, or an error position outside the input
// aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "convert/convert.h"
#include "tests/piecewise_scan.h"
#include "tests/reference_scanner.h"

namespace {

using tavrix::ConversionError;
using tavrix::ErrorCode;

[[noreturn]] void disagree(const char* what) {
  std::fprintf(stderr, "scan_fuzzer: %s\n", what);
  std::abort();
}

// Feeds `input` to the scanner in pieces whose sizes come from `seed`. With the seed's bit
// 0x40, the input is also cut at the first line start past its middle, as the conversion run
// cuts large pieces for two threads, and the part after the cut is scanned from a fresh state
// and joined.
tavrix::reference::ScanResult scan_in_pieces(std::string_view input, std::uint8_t seed) {
  tavrix::reference::ScanResult result;
  // Mostly tiny pieces; with the seed's high bit, pieces of up to 4 KiB.
  const std::uint32_t largest = seed & 0x80 ? 4096 : 17;
  tavrix::CellCollector cells{std::vector<unsigned char>(2 * (tavrix::max_cells_for(largest) + 1)),
                              result.cells};
  std::uint32_t random = seed * 2654435761u + 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  auto scan = [&](tavrix::ScanState& state, std::size_t from, std::size_t to) {
    while (from < to && state.phase != tavrix::ScanState::Phase::ended) {
      random = random * 1103515245u + 12345u;
      const std::size_t piece = std::min<std::size_t>(1 + (random >> 8) % largest, to - from);
      cells.keep(tavrix::scan_cells(state, bytes + from, piece, cells.buffer.data()));
      from += piece;
    }
  };

  tavrix::ScanState state;
  std::size_t cut = input.size();
  if (seed & 0x40) {
    const std::size_t line_feed = input.find('\n', input.size() / 2);
    if (line_feed != std::string_view::npos) cut = line_feed + 1;
  }
  scan(state, 0, cut);
  if (cut < input.size() && state.phase != tavrix::ScanState::Phase::ended) {
    if (state.columns > 0) {
      tavrix::ScanState rest = tavrix::scan_state_at_line_start(state.columns);
      scan(rest, cut, input.size());
      tavrix::join_scans(state, rest);
    } else {
      scan(state, cut, input.size());
    }
  }
  cells.keep(tavrix::finish_scan(state, cells.buffer.data()));
  result.columns = state.columns;
  result.rows = state.rows;
  result.error = state.error;
  return result;
}

bool same_error(const ConversionError& a, const ConversionError& b) {
  if (a.code != b.code || a.line != b.line || a.column != b.column) return false;
  switch (a.code) {
    case ErrorCode::unexpected_byte:
      return a.byte == b.byte;
    case ErrorCode::value_out_of_range:
      return a.negative == b.negative && a.magnitude == b.magnitude &&
             a.more_digits == b.more_digits;
    case ErrorCode::row_length_mismatch:
      return a.values == b.values && a.expected == b.expected;
    default:
      return true;
  }
}

// True when line `line`, column `column` names a byte of the input (after the byte-order
// mark, before a 0x1A byte).
bool position_in_input(std::string_view input, std::int64_t line, std::int64_t column) {
  if (input.substr(0, 3) == "\xEF\xBB\xBF") input.remove_prefix(3);
  input = input.substr(0, input.find('\x1A'));
  std::size_t start = 0;
  for (std::int64_t l = 1; l < line; ++l) {
    const std::size_t end = input.find_first_of("\r\n", start);
    if (end == std::string_view::npos) return false;
    start = end + (input.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  const std::size_t end = std::min(input.find_first_of("\r\n", start), input.size());
  return column >= 1 && static_cast<std::size_t>(column) <= end - start;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t seed = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  const auto expected = tavrix::reference::scan(input);
  const auto actual = scan_in_pieces(input, seed);

  if (actual.cells != expected.cells) disagree("cells differ from the reference scanner's");
  if (!same_error(actual.error, expected.error)) {
    disagree("error differs from the reference scanner's");
  }
  const ConversionError& error = actual.error;
  if (error.code == ErrorCode::success) {
    if (actual.columns != expected.columns || actual.rows != expected.rows) {
      disagree("grid size differs from the reference scanner's");
    }
    if (actual.columns < 1 ||
        static_cast<std::int64_t>(actual.cells.size()) != actual.columns * actual.rows) {
      disagree("cell count is not columns x rows");
    }
  } else if (error.code == ErrorCode::row_length_mismatch) {
    if (!position_in_input(input, error.line, 1)) disagree("error line outside the input");
  } else if (error.code != ErrorCode::no_values) {
    if (!position_in_input(input, error.line, error.column)) {
      disagree("error position outside the input");
    }
  }
  return 0;
}
