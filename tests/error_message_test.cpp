// The file errors' lines; the input errors' lines are checked with the scanner's faults.
#include <gtest/gtest.h>

#include "convert/convert.h"

namespace tavrix {
namespace {

TEST(ErrorMessage, FileErrorsNameThePath) {
  struct Row {
    ErrorCode code;
    const char* line;
  };
  const Row rows[] = {
      {ErrorCode::cannot_open_input, "ERROR - File cannot open dir/a b.csv\r\n"},
      {ErrorCode::cannot_read_input, "ERROR - File cannot read dir/a b.csv\r\n"},
      {ErrorCode::cannot_create_output, "ERROR - File cannot create dir/a b.csv\r\n"},
      {ErrorCode::output_is_input,
       "ERROR - File cannot create dir/a b.csv: it is the input file\r\n"},
      {ErrorCode::cannot_write_output, "ERROR - File cannot write dir/a b.csv\r\n"},
      {ErrorCode::no_values, "ERROR - dir/a b.csv: no values\r\n"},
  };
  for (const Row& row : rows) {
    ConversionError error;
    error.code = row.code;
    error.path = "dir/a b.csv";
    EXPECT_EQ(error_message(error), row.line);
  }
}

TEST(ErrorMessage, UnexpectedBytesPrintableOrInHex) {
  struct Row {
    std::uint8_t byte;
    const char* reason;
  };
  const Row rows[] = {
      {'!', "unexpected character '!'"},  {'~', "unexpected character '~'"},
      {'\'', "unexpected character '''"}, {0x7F, "unexpected byte 0x7F"},
      {0x1F, "unexpected byte 0x1F"},     {0xC3, "unexpected byte 0xC3"},
  };
  for (const Row& row : rows) {
    ConversionError error;
    error.code = ErrorCode::unexpected_byte;
    error.path = "g.csv";
    error.line = 12;
    error.column = 34;
    error.byte = row.byte;
    EXPECT_EQ(error_message(error),
              std::string("ERROR - g.csv: line 12, column 34: ") + row.reason + "\r\n");
  }
}

}  // namespace
}  // namespace tavrix
