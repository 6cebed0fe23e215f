// The cell scanner, one input per row; failures are rows too. Every row is scanned whole and
// in small pieces, so that values, CR LF pairs and the byte-order mark straddle piece edges,
// and by the reference scanner, which must agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/convert.h"
#include "piecewise_scan.h"
#include "reference_scanner.h"

namespace tavrix {
namespace {

using ScanResult = reference::ScanResult;

struct Grid {
  const char* name;
  std::string input;
  std::vector<int> cells;
  std::int64_t columns;
  std::int64_t rows;
};

// Test names come from the row names; print those rather than raw bytes.
void PrintTo(const Grid& row, std::ostream* out) {
  *out << row.name;
}

const Grid grids[] = {
    {"commas", "1,2,3\n4,5,6\n", {1, 2, 3, 4, 5, 6}, 3, 2},
    {"mixed_separators_collapse", "1 2\t3,,4\n", {1, 2, 3, 4}, 4, 1},
    {"separators_around_values", " 7 \n\t8,\n", {7, 8}, 1, 2},
    {"last_line_without_line_end", "1,2\n3,4", {1, 2, 3, 4}, 2, 2},
    {"single_value", "5", {5}, 1, 1},
    {"blank_and_separator_lines_skipped", "\n \t,\n1,2\n\n3,4\n\n", {1, 2, 3, 4}, 2, 2},
    {"crlf", "1,2\r\n3,4\r\n", {1, 2, 3, 4}, 2, 2},
    {"lone_cr", "1,2\r3,4\r", {1, 2, 3, 4}, 2, 2},
    {"cr_then_crlf", "1\r\r\n2", {1, 2}, 1, 2},
    {"byte_order_mark", "\xEF\xBB\xBF-1,2\n", {-1, 2}, 2, 1},
    {"range_limits", "-32768,32767,+5,-0,+0\n", {-32768, 32767, 5, 0, 0}, 5, 1},
    {"leading_zeros", "007,-0032768,000000000000000000000000000012\n", {7, -32768, 12}, 3, 1},
    {"end_mark_after_line",
     "1,2\n\x1A"
     "3,x\n",
     {1, 2},
     2,
     1},
    {"end_mark_ends_value",
     "1,2\x1A"
     "9",
     {1, 2},
     2,
     1},
};

class ScannerGrid : public testing::TestWithParam<Grid> {};

TEST_P(ScannerGrid, ConvertsInAnyPieces) {
  const Grid& grid = GetParam();
  for (std::size_t piece_size : piece_sizes_for(grid.input)) {
    SCOPED_TRACE("piece size " + std::to_string(piece_size));
    const ScanResult result = scan_in_pieces(grid.input, piece_size);
    EXPECT_EQ(result.error.code, ErrorCode::success) << error_message(result.error);
    EXPECT_EQ(result.cells, grid.cells);
    EXPECT_EQ(result.columns, grid.columns);
    EXPECT_EQ(result.rows, grid.rows);
  }
  const ScanResult reference = reference::scan(grid.input);
  EXPECT_EQ(reference.error.code, ErrorCode::success) << error_message(reference.error);
  EXPECT_EQ(reference.cells, grid.cells);
  EXPECT_EQ(reference.columns, grid.columns);
  EXPECT_EQ(reference.rows, grid.rows);
}

INSTANTIATE_TEST_SUITE_P(Grids, ScannerGrid, testing::ValuesIn(grids),
                         [](const auto& info) { return std::string(info.param.name); });

struct Fault {
  const char* name;
  std::string input;
  ErrorCode code;
  std::int64_t line;
  std::int64_t column;
  std::string message;  // the line as printed, for an input named "in.csv"
};

// Test names come from the row names; print those rather than raw bytes.
void PrintTo(const Fault& row, std::ostream* out) {
  *out << row.name;
}

const Fault faults[] = {
    {"empty", "", ErrorCode::no_values, 0, 0, "in.csv: no values"},
    {"blank_lines_only", "\n \r\n", ErrorCode::no_values, 0, 0, "in.csv: no values"},
    {"byte_order_mark_only", "\xEF\xBB\xBF", ErrorCode::no_values, 0, 0, "in.csv: no values"},
    {"decimal_point", "1.5\n", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character '.'"},
    {"minus_after_digits", "5-\n", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character '-'"},
    {"minus_between_digits", "3-4", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character '-'"},
    {"exponent", "1e3", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character 'e'"},
    {"two_signs", "+-5", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character '-'"},
    {"semicolon", "1;2", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected character ';'"},
    {"letter", "abc", ErrorCode::unexpected_byte, 1, 1,
     "in.csv: line 1, column 1: unexpected character 'a'"},
    {"fault_on_second_line", "1,2\n3,x\n", ErrorCode::unexpected_byte, 2, 3,
     "in.csv: line 2, column 3: unexpected character 'x'"},
    {"column_after_crlf", "1\r\n\r\n 2x", ErrorCode::unexpected_byte, 3, 3,
     "in.csv: line 3, column 3: unexpected character 'x'"},
    {"column_after_lone_cr", "1\r2\rx", ErrorCode::unexpected_byte, 3, 1,
     "in.csv: line 3, column 1: unexpected character 'x'"},
    {"column_after_byte_order_mark",
     "\xEF\xBB\xBF"
     "1,x",
     ErrorCode::unexpected_byte, 1, 3, "in.csv: line 1, column 3: unexpected character 'x'"},
    {"nul_byte", std::string("1,\0", 3), ErrorCode::unexpected_byte, 1, 3,
     "in.csv: line 1, column 3: unexpected byte 0x00"},
    {"high_byte", "\xFF", ErrorCode::unexpected_byte, 1, 1,
     "in.csv: line 1, column 1: unexpected byte 0xFF"},
    {"vertical_tab", "1\v2", ErrorCode::unexpected_byte, 1, 2,
     "in.csv: line 1, column 2: unexpected byte 0x0B"},
    {"broken_byte_order_mark", "\xEF\xBBx", ErrorCode::unexpected_byte, 1, 1,
     "in.csv: line 1, column 1: unexpected byte 0xEF"},
    {"cut_byte_order_mark", "\xEF\xBB", ErrorCode::unexpected_byte, 1, 1,
     "in.csv: line 1, column 1: unexpected byte 0xEF"},
    {"late_byte_order_mark", "1,\xEF\xBB\xBF", ErrorCode::unexpected_byte, 1, 3,
     "in.csv: line 1, column 3: unexpected byte 0xEF"},
    {"sign_before_line_end", "1,2\n-\n", ErrorCode::sign_without_digits, 2, 1,
     "in.csv: line 2, column 1: sign without digits"},
    {"sign_before_separator", "1,+ 2", ErrorCode::sign_without_digits, 1, 3,
     "in.csv: line 1, column 3: sign without digits"},
    {"sign_at_end", "1, -", ErrorCode::sign_without_digits, 1, 4,
     "in.csv: line 1, column 4: sign without digits"},
    {"sign_before_end_mark", "1,-\x1A", ErrorCode::sign_without_digits, 1, 3,
     "in.csv: line 1, column 3: sign without digits"},
    {"above_range", "40000\n", ErrorCode::value_out_of_range, 1, 1,
     "in.csv: line 1, column 1: value 40000 is outside -32768..32767"},
    {"just_above_range", "1,+032768", ErrorCode::value_out_of_range, 1, 3,
     "in.csv: line 1, column 3: value 32768 is outside -32768..32767"},
    {"just_below_range", "1\n-32769", ErrorCode::value_out_of_range, 2, 1,
     "in.csv: line 2, column 1: value -32769 is outside -32768..32767"},
    {"huge_value", "1,-123456789012345678901234567890", ErrorCode::value_out_of_range, 1, 3,
     "in.csv: line 1, column 3: value -123456789012345678... is outside -32768..32767"},
    {"short_row", "1,2\n3\n", ErrorCode::row_length_mismatch, 2, 0,
     "in.csv: line 2: 1 values, expected 2 as on the first row"},
    {"long_last_row_without_line_end", "1,2\n\n3,4,5", ErrorCode::row_length_mismatch, 3, 0,
     "in.csv: line 3: 3 values, expected 2 as on the first row"},
    {"short_row_after_crlf", "1,2\r\n\r\n3,4\r\n5\r\n", ErrorCode::row_length_mismatch, 4, 0,
     "in.csv: line 4: 1 values, expected 2 as on the first row"},
};

class ScannerFault : public testing::TestWithParam<Fault> {};

TEST_P(ScannerFault, StopsAtTheOffendingByte) {
  const Fault& fault = GetParam();
  for (std::size_t piece_size : piece_sizes_for(fault.input)) {
    SCOPED_TRACE("piece size " + std::to_string(piece_size));
    ScanResult result = scan_in_pieces(fault.input, piece_size);
    EXPECT_EQ(result.error.code, fault.code);
    EXPECT_EQ(result.error.line, fault.line);
    EXPECT_EQ(result.error.column, fault.column);
    result.error.path = "in.csv";
    EXPECT_EQ(error_message(result.error), "ERROR - " + fault.message + "\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, ScannerFault, testing::ValuesIn(faults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Scanner, AnyPieceBoundaryGivesTheSameResult) {
  const std::string inputs[] = {
      "\xEF\xBB\xBF-32768,+00032767\r\n\t-1 0\r\r\n",
      "12,-345\r\n6789,0\r-0,+1",
      "1,2\r\n3,40000\r\n",
  };
  for (const std::string& input : inputs) {
    const ScanResult whole = reference::scan(input);
    for (std::size_t split = 0; split <= input.size(); ++split) {
      SCOPED_TRACE("split at " + std::to_string(split) + " of " + std::to_string(input.size()));
      const ScanResult result = scan_in_pieces(input, std::max<std::size_t>(split, 1), split);
      EXPECT_EQ(result.cells, whole.cells);
      EXPECT_EQ(result.error.code, whole.error.code);
      EXPECT_EQ(result.error.column, whole.error.column);
      EXPECT_EQ(result.rows, whole.rows);
    }
  }
}

TEST(Scanner, WritesCellsBigEndianTwosComplement) {
  const std::string input = "-32768,-5,0,255,256,32767\n";
  ScanState state;
  std::vector<unsigned char> cells(2 * (max_cells_for(input.size()) + 1));
  std::size_t count = scan_cells(state, reinterpret_cast<const unsigned char*>(input.data()),
                                 input.size(), cells.data());
  count += finish_scan(state, cells.data() + 2 * count);
  cells.resize(2 * count);
  const std::vector<unsigned char> expected = {0x80, 0x00, 0xFF, 0xFB, 0x00, 0x00,
                                               0x00, 0xFF, 0x01, 0x00, 0x7F, 0xFF};
  EXPECT_EQ(cells, expected);
}

TEST(Scanner, KeepsCellsWrittenBeforeAFault) {
  const std::string input = "1,2\n3,x\n";
  ScanState state;
  std::vector<unsigned char> cells(2 * max_cells_for(input.size()));
  const std::size_t count = scan_cells(state, reinterpret_cast<const unsigned char*>(input.data()),
                                       input.size(), cells.data());
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(state.phase, ScanState::Phase::ended);
  EXPECT_EQ(state.error.code, ErrorCode::unexpected_byte);
}

TEST(Scanner, LongLinesKeepExactColumns) {
  std::string input;
  for (int i = 0; i < 100000; ++i) input += "-32768,";
  input += "1x";
  const ScanResult result = scan_in_pieces(input, 4096);
  EXPECT_EQ(result.error.code, ErrorCode::unexpected_byte);
  EXPECT_EQ(result.error.column, 700002);
  EXPECT_EQ(result.cells.size(), 100000u);
}

}  // namespace
}  // namespace tavrix
