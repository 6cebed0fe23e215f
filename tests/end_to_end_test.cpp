// The tool end to end: every byte of both outputs, of standard output and standard error,
// and the exit status, for the main paths, each failure and the output naming.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <thread>

#include "tool_runner.h"

namespace {

using namespace tavrix::testing_tool;

TEST_F(EndToEnd, ConvertsAGrid) {
  write("grid.csv", "1,2,3\n4,5,6\n");
  const ToolRun result = run_tool({"grid.csv", "dem.bil"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, banner + "......\r\n");
  EXPECT_EQ(result.err, "");
  const Snapshot expected = {
      {"grid.csv", "1,2,3\n4,5,6\n"},
      {"dem.bil", std::string("\0\1\0\2\0\3\0\4\0\5\0\6", 12)},
      {"dem.hdr", header_for(3, 2)},
  };
  EXPECT_EQ(files(), expected);
}

TEST_F(EndToEnd, CellsCoverTheWholeRangeBigEndian) {
  write("grid.csv", "\xEF\xBB\xBF-32768\t-9999 -1\r\n0,+1,32767\r\n");
  const ToolRun result = run_tool({"grid.csv", "out"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read("out.bil"), std::string("\x80\x00\xD8\xF1\xFF\xFF\x00\x00\x00\x01\x7F\xFF", 12));
  EXPECT_EQ(read("out.hdr"), header_for(3, 2));
}

TEST_F(EndToEnd, LineEndsDoNotChangeTheRaster) {
  for (const char* line_end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(line_end[0] == '\r' ? (line_end[1] ? "CR LF" : "CR") : "LF");
    write("grid.csv", std::string("1,2") + line_end + "3,4" + line_end + line_end);
    const ToolRun result = run_tool({"grid.csv", "out"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("out.bil"), std::string("\0\1\0\2\0\3\0\4", 8));
    EXPECT_EQ(read("out.hdr"), header_for(2, 2));
  }
}

TEST_F(EndToEnd, UsageWhenTheArgumentCountIsWrong) {
  write("grid.csv", "1\n");
  const std::vector<std::vector<std::string>> argument_lists = {
      {}, {"grid.csv"}, {"grid.csv", "out", "extra"}};
  for (const auto& args : argument_lists) {
    SCOPED_TRACE(std::to_string(args.size()) + " arguments");
    const ToolRun result = run_tool(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, banner + usage);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(files(), (Snapshot{{"grid.csv", "1\n"}}));
  }
}

TEST_F(EndToEnd, ReplacesOlderOutputs) {
  write("grid.csv", "7\n");
  write("out.bil", "older raster");
  write("out.hdr", "older header");
  const ToolRun result = run_tool({"grid.csv", "out.BIL"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(files(), (Snapshot{{"grid.csv", "7\n"},
                               {"out.bil", std::string("\0\7", 2)},
                               {"out.hdr", header_for(1, 1)}}));
}

TEST_F(EndToEnd, OutputNames) {
  struct Naming {
    std::string output_name;
    std::string raster;
    std::string header;
  };
  const std::string long_directory = std::string(200, 'd') + "/" + std::string(200, 'e');
  const Naming namings[] = {
      {"out", "out.bil", "out.hdr"},
      {"Out.Bil", "Out.bil", "Out.hdr"},
      {"out.txt", "out.txt.bil", "out.txt.hdr"},
      {"x.bil.bil", "x.bil.bil", "x.bil.hdr"},
      {"x.BILL", "x.BILL.bil", "x.BILL.hdr"},
      {"", ".bil", ".hdr"},
      {".", "..bil", "..hdr"},
      {"dir.bil/x", "dir.bil/x.bil", "dir.bil/x.hdr"},
      {"-dash", "-dash.bil", "-dash.hdr"},
      {std::string(240, 'n') + ".bil", std::string(240, 'n') + ".bil",
       std::string(240, 'n') + ".hdr"},
      {long_directory + "/" + std::string(100, 'f'),
       long_directory + "/" + std::string(100, 'f') + ".bil",
       long_directory + "/" + std::string(100, 'f') + ".hdr"},
  };
  for (const Naming& naming : namings) {
    SCOPED_TRACE("output name \"" + naming.output_name + "\"");
    TearDown();
    SetUp();
    write("grid.csv", "1,2\n");
    fs::create_directory(in_work("dir.bil"));
    fs::create_directories(in_work(long_directory));
    const ToolRun result = run_tool({"grid.csv", naming.output_name});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read(naming.raster), std::string("\0\1\0\2", 4));
    EXPECT_EQ(read(naming.header), header_for(2, 1));
    std::set<std::string> regular_files;
    for (const auto& [name, bytes] : files()) {
      if (name.back() != '/') regular_files.insert(name);
    }
    EXPECT_EQ(regular_files, (std::set<std::string>{"grid.csv", naming.raster, naming.header}));
  }
}

// Each failure: exit status 1, one error line, the dots printed so far ended by a line end,
// and every file exactly as it was before the run: older outputs intact, no temporary left.
struct Failure {
  const char* name;
  std::vector<std::string> args;
  std::string err;
  std::string dots;
  std::string setup = "";  // shell text run before the tool
};

// Test names come from the row names; print those rather than raw bytes.
void PrintTo(const Failure& row, std::ostream* out) {
  *out << row.name;
}

class EndToEndFailure : public EndToEnd, public testing::WithParamInterface<Failure> {};

TEST_P(EndToEndFailure, LeavesEveryFileAsItWas) {
  const Failure& failure = GetParam();
  if (windows_build() && failure.setup.find("ulimit") != std::string::npos) {
    GTEST_SKIP() << "file-size limits are a POSIX matter";
  }
  write("grid.csv", "1,2\n3,4\n");
  write("bad-value.csv", "1,2\n3,x\n");
  write("ragged.csv", "1,2\n3\n");
  write("blank.csv", "\r\n\r\n");
  write("out.bil", "older raster");
  write("out.hdr", "older header");
  std::string wide;
  for (int i = 0; i < 5000; ++i) wide += "1,";
  write("wide.csv", wide + "1\n");
  fs::create_directory(in_work("folder"));
  fs::create_directory(in_work("header-dir.hdr"));
  write("header-dir.bil", "older raster");
  fs::create_hard_link(in_work("grid.csv"), in_work("linked.bil"));

  const Snapshot before = files();
  const ToolRun result = run_tool(failure.args, failure.setup);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, failure.err);
  EXPECT_EQ(result.out, banner + failure.dots);
  EXPECT_EQ(files(), before);
}

const Failure failures[] = {
    {"missing_input", {"missing.csv", "out"}, "ERROR - File cannot open missing.csv\r\n", ""},
    {"unexpected_character",
     {"bad-value.csv", "out"},
     "ERROR - bad-value.csv: line 2, column 3: unexpected character 'x'\r\n",
     "...\r\n"},
    {"ragged_row",
     {"ragged.csv", "out"},
     "ERROR - ragged.csv: line 2: 1 values, expected 2 as on the first row\r\n",
     "...\r\n"},
    {"no_values", {"blank.csv", "out"}, "ERROR - blank.csv: no values\r\n", ""},
    {"directory_as_input", {"folder", "out"}, "ERROR - File cannot read folder\r\n", ""},
    {"input_is_the_raster",
     {"out.bil", "out"},
     "ERROR - File cannot create out.bil: it is the input file\r\n",
     ""},
    {"input_is_the_header",
     {"out.hdr", "out.bil"},
     "ERROR - File cannot create out.hdr: it is the input file\r\n",
     ""},
    {"input_linked_to_the_raster",
     {"grid.csv", "linked"},
     "ERROR - File cannot create linked.bil: it is the input file\r\n",
     ""},
    {"missing_output_directory",
     {"grid.csv", "nowhere/out"},
     "ERROR - File cannot create nowhere/out.bil\r\n",
     ""},
    {"output_through_a_file",
     {"grid.csv", "grid.csv/out"},
     "ERROR - File cannot create grid.csv/out.bil\r\n",
     ""},
    {"header_path_is_a_directory",
     {"grid.csv", "header-dir"},
     "ERROR - File cannot create header-dir.hdr\r\n",
     "....\r\n"},
    {"raster_too_large_to_write",
     {"wide.csv", "out"},
     "ERROR - File cannot write out.bil\r\n",
     "",
     "ulimit -f 4;"},
};

INSTANTIATE_TEST_SUITE_P(Failures, EndToEndFailure, testing::ValuesIn(failures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EndToEnd, OutputsGetThePermissionsOfAPlainCreate) {
  if (windows_build()) GTEST_SKIP() << "permission bits are a POSIX matter";
  write("grid.csv", "1\n");
  for (const auto& [mask, mode] : {std::pair{"022", 0644}, std::pair{"007", 0660}}) {
    SCOPED_TRACE(std::string("umask ") + mask);
    const ToolRun result = run_tool({"grid.csv", "out"}, std::string("umask ") + mask + ";");
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* name : {"out.bil", "out.hdr"}) {
      struct stat status {};
      ASSERT_EQ(::stat(in_work(name).c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777, static_cast<unsigned>(mode)) << name;
    }
  }
}

TEST_F(EndToEnd, ReadsStandardInputFromAPipe) {
  if (windows_build()) GTEST_SKIP() << "/dev/stdin is a POSIX path";
  write("grid.csv", "1,2\n3,4\n");
  const ToolRun result = run_tool({"/dev/stdin", "out"}, "", "cat grid.csv");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, banner + "....\r\n");
  EXPECT_EQ(read("out.bil"), std::string("\0\1\0\2\0\3\0\4", 8));
  EXPECT_EQ(read("out.hdr"), header_for(2, 2));
}

TEST_F(EndToEnd, ClosedStandardOutputDoesNotStopTheConversion) {
  std::string row;
  for (int i = 0; i < 999; ++i) row += "1,";
  row += "1\n";
  std::string grid;
  for (int i = 0; i < 1000; ++i) grid += row;
  write("grid.csv", grid);
  const std::string status_file = shell_quote((root_ / "status").string());
  const std::string command = "cd " + shell_quote(work_.string()) + " && { " + tool_command() +
                              " grid.csv out 2>/dev/null; echo $? >" + status_file +
                              "; } | head -c 1 >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_bytes(root_ / "status"), "0\n");
  EXPECT_EQ(read("out.bil").size(), 2000000u);
  EXPECT_EQ(read("out.hdr"), header_for(1000, 1000));
  EXPECT_EQ(files().size(), 3u);
}

// Where the older raster can take no second link (a file system without hard links, or, as
// here, a file whose link count is full), it is moved aside instead while the outputs go in,
// and put back when the header cannot follow.
TEST_F(EndToEnd, OlderRasterKeptWhenItCannotBeLinked) {
  write("grid.csv", "1,2\n");
  write("out.bil", "older raster");
  fs::create_directory(in_work("out.hdr"));  // the header cannot go in
  fs::create_directory(in_work("links"));
  int links = 1;
  while (links < 100000 && ::link(in_work("out.bil").c_str(),
                                  (in_work("links") / std::to_string(links)).c_str()) == 0) {
    ++links;
  }
  if (errno != EMLINK) GTEST_SKIP() << "this file system sets no limit to a file's links";

  const ToolRun result = run_tool({"grid.csv", "out"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR - File cannot create out.hdr\r\n");
  EXPECT_EQ(read("out.bil"), "older raster");
  struct stat status {};
  ASSERT_EQ(::stat(in_work("out.bil").c_str(), &status), 0);
  EXPECT_EQ(status.st_nlink, static_cast<nlink_t>(links));  // the same file, back in place
  for (const auto& entry : fs::directory_iterator(work_)) {
    EXPECT_NE(entry.path().filename().string().rfind(".tavrix-", 0), 0u) << entry.path();
  }
}

// On a terminal the dots of what has come so far show while the rest of the input is awaited.
// script(1) gives the tool a terminal; a FIFO feeds it one line, and only once that line's
// dots have shown, the next.
TEST_F(EndToEnd, DotsShowLiveOnATerminal) {
  if (windows_build()) GTEST_SKIP() << "a POSIX terminal and FIFO";
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs script(1)";
  ASSERT_EQ(mkfifo(in_work("grid.fifo").c_str(), 0600), 0);
  const fs::path typescript = root_ / "typescript";
  const std::string command = "cd " + shell_quote(work_.string()) + " && script -q -f -c " +
                              shell_quote(tool_command() + " grid.fifo out") + " " +
                              shell_quote(typescript.string()) + " >/dev/null 2>&1 </dev/null &";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const int fifo = ::open(in_work("grid.fifo").c_str(), O_WRONLY);
  ASSERT_GE(fifo, 0);
  ASSERT_EQ(::write(fifo, "1,2\n", 4), 4);

  auto wait_for = [](auto condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition() && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
  };
  EXPECT_TRUE(wait_for([&] { return read_bytes(typescript).find("..") != std::string::npos; }))
      << "no dots while the input was still open";
  ASSERT_EQ(::write(fifo, "3,4\n", 4), 4);
  ::close(fifo);
  EXPECT_TRUE(wait_for([&] { return fs::exists(in_work("out.hdr")); }));
  EXPECT_EQ(read("out.hdr"), header_for(2, 2));
}

// Backslashes, and a drive letter where TAVRIX_WINDOWS_ROOT names the drive that holds the
// file system root (Z: under wine).
TEST_F(EndToEnd, WindowsPaths) {
  if (!windows_build()) GTEST_SKIP() << "backslashes and drive letters are Windows paths";
  fs::create_directory(in_work("sub"));
  write("sub/grid.csv", "1,2\n");
  ToolRun result = run_tool({"sub\\grid.csv", "sub\\out.BIL"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read("sub/out.bil"), std::string("\0\1\0\2", 4));
  EXPECT_EQ(read("sub/out.hdr"), header_for(2, 1));

  result = run_tool({"sub\\missing.csv", "sub\\out"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR - File cannot open sub\\missing.csv\r\n");

  result = run_tool({"sub\\out.bil", "sub\\out"});
  EXPECT_EQ(result.err, "ERROR - File cannot create sub\\out.bil: it is the input file\r\n");

  const char* root = std::getenv("TAVRIX_WINDOWS_ROOT");
  if (root == nullptr || *root == '\0') return;
  std::string absolute(root);
  absolute += work_.string();
  for (char& c : absolute) c = c == '/' ? '\\' : c;
  result = run_tool({absolute + "\\sub\\grid.csv", absolute + "\\sub\\drive"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read("sub/drive.bil"), std::string("\0\1\0\2", 4));
  EXPECT_EQ(files().count("sub/drive.hdr"), 1u);
}

}  // namespace
