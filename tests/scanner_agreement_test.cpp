// The scanner against the reference scanner on many generated grids, long enough for the
// block-wise fast path, with faults and oddities sprinkled in: the same cells, the same grid
// size, the same error at the same place. A fixed seed keeps every run the same.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "piecewise_scan.h"
#include "reference_scanner.h"

namespace tavrix {
namespace {

// Scans `input` as two threads would: up to `split` (just after a LF) with one state, the
// rest with a state begun at that line start, then joined.
reference::ScanResult scan_split(const std::string& input, std::size_t split) {
  reference::ScanResult result;
  CellCollector cells{std::vector<unsigned char>(2 * (max_cells_for(input.size()) + 1)),
                      result.cells};
  ScanState state;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  cells.keep(scan_cells(state, bytes, split, cells.buffer.data()));
  if (state.phase != ScanState::Phase::ended && state.columns > 0) {
    ScanState rest = scan_state_at_line_start(state.columns);
    cells.keep(scan_cells(rest, bytes + split, input.size() - split, cells.buffer.data()));
    join_scans(state, rest);
  } else if (state.phase != ScanState::Phase::ended) {
    cells.keep(scan_cells(state, bytes + split, input.size() - split, cells.buffer.data()));
  }
  cells.keep(finish_scan(state, cells.buffer.data()));
  result.columns = state.columns;
  result.rows = state.rows;
  result.error = state.error;
  return result;
}

// A grid of `rows` x `columns` values written in one of many styles; with `fault_rate`,
// some bytes are replaced by something the grammar may or may not allow.
std::string generate_grid(std::mt19937& random, int rows, int columns, int fault_rate) {
  const char* separators[] = {",", " ", "\t", ", ", "  ", ",,"};
  const char* line_ends[] = {"\n", "\r\n", "\r"};
  const std::string separator = separators[random() % 6];
  const std::string line_end = line_ends[random() % 3];
  std::string grid;
  if (random() % 8 == 0) grid += "\xEF\xBB\xBF";
  for (int row = 0; row < rows; ++row) {
    if (random() % 10 == 0) grid += line_end;  // a blank line
    for (int column = 0; column < columns; ++column) {
      if (column > 0) grid += separator;
      const int kind = static_cast<int>(random() % 20);
      if (kind == 0) {
        grid += "-32768";
      } else if (kind == 1) {
        grid += "+32767";
      } else if (kind == 2) {
        grid += "000" + std::to_string(random() % 100);  // long, through leading zeros
      } else if (kind == 5) {
        grid += random() % 2 ? "-0" : "+0";
      } else if (kind == 3) {
        grid += "-0000000" + std::to_string(random() % 1000);  // long, with a sign
      } else if (kind == 4 && fault_rate > 0) {
        grid += std::to_string(32768 + random() % 100000);  // out of range
      } else {
        grid += std::to_string(static_cast<int>(random() % 65536) - 32768);
      }
    }
    grid += line_end;
  }
  if (fault_rate > 0) {
    const char odd[] = {'.', '-', '+', 'x', '\0', '\x1A', '\xFF', '\r', '\n', ' ', '9', '0'};
    for (char& c : grid) {
      if (static_cast<int>(random() % 10000) < fault_rate) c = odd[random() % sizeof odd];
    }
  }
  return grid;
}

TEST(ScannerAgreement, GeneratedGrids) {
  std::mt19937 random(20261211);
  int grids_whole = 0;
  for (int round = 0; round < 10000; ++round) {
    const int rows = 1 + static_cast<int>(random() % 40);
    const int columns = 1 + static_cast<int>(random() % 40);
    const int fault_rate = round % 3 == 0 ? 0 : static_cast<int>(random() % 20);
    const std::string grid = generate_grid(random, rows, columns, fault_rate);
    const reference::ScanResult expected = reference::scan(grid);
    grids_whole += expected.error.code == ErrorCode::success;
    for (std::size_t piece_size : {std::size_t{97}, std::size_t{4096}, grid.size() + 1}) {
      const reference::ScanResult actual = scan_in_pieces(grid, piece_size);
      ASSERT_EQ(actual.cells, expected.cells)
          << "round " << round << ", pieces of " << piece_size << "\n"
          << testing::PrintToString(grid);
      ASSERT_EQ(actual.error.code, expected.error.code) << "round " << round;
      ASSERT_EQ(actual.error.line, expected.error.line) << "round " << round;
      ASSERT_EQ(actual.error.column, expected.error.column) << "round " << round;
      ASSERT_EQ(actual.error.byte, expected.error.byte) << "round " << round;
      ASSERT_EQ(actual.columns, expected.columns) << "round " << round;
      ASSERT_EQ(actual.rows, expected.rows) << "round " << round;
    }
  }
  // The generator must keep making whole grids too, or the fast path goes untested.
  EXPECT_GE(grids_whole, 3000);
}

TEST(ScannerAgreement, SplitAtLineStartsAndJoined) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const int fault_rate = round % 3 == 0 ? 0 : static_cast<int>(random() % 10);
    const std::string grid = generate_grid(random, 2 + static_cast<int>(random() % 30),
                                           1 + static_cast<int>(random() % 30), fault_rate);
    const reference::ScanResult expected = reference::scan(grid);
    for (std::size_t split = 1; split < grid.size(); ++split) {
      if (grid[split - 1] != '\n') continue;
      const reference::ScanResult actual = scan_split(grid, split);
      ASSERT_EQ(actual.cells, expected.cells) << "round " << round << ", split at " << split;
      ASSERT_EQ(actual.error.code, expected.error.code) << "round " << round << ", split " << split;
      ASSERT_EQ(actual.error.line, expected.error.line) << "round " << round << ", split " << split;
      ASSERT_EQ(actual.error.column, expected.error.column) << "round " << round;
      ASSERT_EQ(actual.columns, expected.columns) << "round " << round;
      ASSERT_EQ(actual.rows, expected.rows) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace tavrix
