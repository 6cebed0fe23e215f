// The tool under real faults and at the edges of size: a full disk while either output is
// written, and inputs from empty to a million values on one line.
#include <sys/statvfs.h>

#include "tool_runner.h"

namespace {

using namespace tavrix::testing_tool;

std::string repeat(const std::string& text, std::size_t times) {
  std::string repeated;
  repeated.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) repeated += text;
  return repeated;
}

// The outputs go to a small tmpfs mounted for the test; the input stays outside it. Mounting
// needs root: elsewhere these tests report themselves skipped.
class DiskFull : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    disk_ = work_ / "disk";
    fs::create_directory(disk_);
    const std::string mount =
        "mount -t tmpfs -o size=256k tavrix-test " + shell_quote(disk_.string()) + " 2>/dev/null";
    if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
    mounted_ = true;
    write("disk/out.bil", "older raster");
    write("disk/out.hdr", "older header");
  }
  void TearDown() override {
    if (mounted_) std::system(("umount " + shell_quote(disk_.string())).c_str());
    EndToEnd::TearDown();
  }
  std::int64_t free_bytes() const {
    struct statvfs disk {};
    if (statvfs(disk_.c_str(), &disk) != 0) return -1;
    return static_cast<std::int64_t>(disk.f_bavail) * static_cast<std::int64_t>(disk.f_frsize);
  }

  fs::path disk_;
  bool mounted_ = false;
};

TEST_F(DiskFull, WhileTheRasterIsWritten) {
  write("grid.csv", repeat("1\n", 200000));
  const Snapshot before = files();
  const ToolRun result = run_tool({"grid.csv", "disk/out"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR - File cannot write disk/out.bil\r\n");
  // However many dots came before the failure, their line is ended.
  ASSERT_EQ(result.out.substr(0, banner.size()), banner);
  const std::string dots = result.out.substr(banner.size());
  if (!dots.empty()) {
    EXPECT_EQ(dots, std::string(dots.size() - 2, '.') + "\r\n");
    EXPECT_GT(dots.size(), 2u);
  }
  EXPECT_EQ(files(), before);
}

TEST_F(DiskFull, WhileTheHeaderIsWritten) {
  // A raster that takes every free byte, so that only the header's write finds no room.
  const std::int64_t cells = free_bytes() / 2;
  ASSERT_GT(cells, 0);
  write("grid.csv", repeat("-1\n", static_cast<std::size_t>(cells)));
  const Snapshot before = files();
  const ToolRun result = run_tool({"grid.csv", "disk/out"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR - File cannot write disk/out.hdr\r\n");
  EXPECT_EQ(result.out, banner + std::string(static_cast<std::size_t>(cells), '.') + "\r\n");
  EXPECT_EQ(files(), before);
}

TEST_F(DiskFull, ConvertsWhenItFits) {
  write("grid.csv", "1,2\n");
  const ToolRun result = run_tool({"grid.csv", "disk/out"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read("disk/out.hdr"), header_for(2, 1));
}

struct Size {
  const char* name;
  std::string input;
  int status;
  std::string err;
  std::int64_t columns;
  std::int64_t rows;
};

void PrintTo(const Size& row, std::ostream* out) {
  *out << row.name;
}

class Sizes : public EndToEnd, public testing::WithParamInterface<Size> {};

TEST_P(Sizes, ConvertOrFailWhole) {
  const Size& size = GetParam();
  write("grid.csv", size.input);
  const ToolRun result = run_tool({"grid.csv", "out"});
  EXPECT_EQ(result.status, size.status);
  EXPECT_EQ(result.err, size.err);
  if (size.status != 0) {
    EXPECT_EQ(files().size(), 1u);
    return;
  }
  const std::size_t cells = static_cast<std::size_t>(size.columns * size.rows);
  EXPECT_EQ(result.out, banner + std::string(cells, '.') + "\r\n");
  EXPECT_EQ(read("out.bil").size(), 2 * cells);
  EXPECT_EQ(read("out.hdr"), header_for(size.columns, size.rows));
}

const Size sizes[] = {
    {"empty", "", 1, "ERROR - grid.csv: no values\r\n", 0, 0},
    {"one_digit", "5", 0, "", 1, 1},
    {"one_other_byte", "x", 1, "ERROR - grid.csv: line 1, column 1: unexpected character 'x'\r\n",
     0, 0},
    {"million_values_on_one_line", repeat("-32768,", 999999) + "32767", 0, "", 1000000, 1},
    {"million_lines", repeat("7\r\n", 1000000), 0, "", 1, 1000000},
    {"value_with_a_million_leading_zeros", repeat("0", 1000000) + "12\n", 0, "", 1, 1},
    {"fault_after_a_million_bytes", repeat(" ", 1000000) + "1.5", 1,
     "ERROR - grid.csv: line 1, column 1000002: unexpected character '.'\r\n", 0, 0},
    // Large pieces are scanned by two threads, each from a line start: faults, and the end
    // mark, deep in a large grid must come out as from one.
    {"fault_deep_in_a_large_grid", repeat("1,2,3\n", 500000) + "4,5,x\n" + repeat("1,2,3\n", 9), 1,
     "ERROR - grid.csv: line 500001, column 5: unexpected character 'x'\r\n", 0, 0},
    {"short_row_deep_in_a_large_grid", repeat("1,2,3\r\n", 500000) + "4,5\r\n", 1,
     "ERROR - grid.csv: line 500001: 2 values, expected 3 as on the first row\r\n", 0, 0},
    {"end_mark_deep_in_a_large_grid", repeat("1,2,3\n", 400000) + "\x1A" + repeat("x\n", 400000), 0,
     "", 3, 400000},
};

INSTANTIATE_TEST_SUITE_P(Inputs, Sizes, testing::ValuesIn(sizes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
