#include <gtest/gtest.h>

#include "convert/convert.h"

namespace tavrix {
namespace {

TEST(Header, EightLinesEndedByCrLf) {
  const std::string expected =
      "BYTEORDER      M \r\n"
      "NODATA -9999\r\n"
      "NCOLS 3\r\n"
      "NROWS 2\r\n"
      "ULXMAP 138.538944444444\r\n"
      "ULYMAP 35.515555555556\r\n"
      "XDIM 0.000555237368\r\n"
      "YDIM 0.000452927215\r\n";
  EXPECT_EQ(header_text(3, 2), expected);
  EXPECT_EQ(header_text(3, 2).size(), 142u);
}

TEST(Header, OnlyTheSizeLinesVary) {
  struct Row {
    std::int64_t columns, rows;
    const char* size_lines;
  };
  const Row rows[] = {
      {1, 1, "NCOLS 1\r\nNROWS 1\r\n"},
      {5000, 70000, "NCOLS 5000\r\nNROWS 70000\r\n"},
      {3000000000, 4000000000, "NCOLS 3000000000\r\nNROWS 4000000000\r\n"},
  };
  const std::string reference = header_text(3, 2);
  for (const Row& row : rows) {
    std::string expected = reference;
    expected.replace(expected.find("NCOLS"), std::string("NCOLS 3\r\nNROWS 2\r\n").size(),
                     row.size_lines);
    EXPECT_EQ(header_text(row.columns, row.rows), expected);
  }
}

}  // namespace
}  // namespace tavrix
