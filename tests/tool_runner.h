// Runs the tool as a user would, in a scratch directory, and reads back everything it
// printed and wrote. TAVRIX_COMMAND, when set, is the command prefix that runs the tool under
// test; by default the binary built beside the tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tavrix::testing_tool {

namespace fs = std::filesystem;

namespace fs = std::filesystem;

inline const std::string banner = "Tavrix Ver 1.0.0 (c) 2026 the tavrix developers\r\n";
inline const std::string usage = "Usage tavrix <CSV Filename> <Bil Filename>\r\n";

inline std::string header_for(std::int64_t columns, std::int64_t rows) {
  return "BYTEORDER      M \r\nNODATA -9999\r\nNCOLS " + std::to_string(columns) + "\r\nNROWS " +
         std::to_string(rows) +
         "\r\nULXMAP 138.538944444444\r\nULYMAP 35.515555555556\r\n"
         "XDIM 0.000555237368\r\nYDIM 0.000452927215\r\n";
}

inline std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Set TAVRIX_TARGET=windows when TAVRIX_COMMAND runs a Windows build (under wine, say):
// checks that only a POSIX build can pass (permission bits, /dev/stdin, file-size limits)
// then skip themselves, and the Windows path checks run.
inline bool windows_build() {
  const char* target = std::getenv("TAVRIX_TARGET");
  return target != nullptr && std::string(target) == "windows";
}

inline std::string tool_command() {
  const char* command = std::getenv("TAVRIX_COMMAND");
  return command != nullptr && *command != '\0' ? command : shell_quote(TAVRIX_BUILT_COMMAND);
}

inline std::string read_bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

inline void write_bytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file below `dir` with its bytes; directories appear with a trailing slash.
using Snapshot = std::map<std::string, std::string>;

inline Snapshot snapshot(const fs::path& dir) {
  Snapshot files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = fs::relative(entry.path(), dir).generic_string();
    if (entry.is_directory()) {
      files[name + "/"] = "";
    } else {
      files[name] = read_bytes(entry.path());
    }
  }
  return files;
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(testing::TempDir()) / "tavrix-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    work_ = root_ / "work";
    fs::create_directory(work_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Runs the tool in the work directory. `setup` is shell text run before it (umask, ulimit);
  // `feed`, when given, is a command whose output is piped into the tool's standard input.
  ToolRun run_tool(const std::vector<std::string>& args, const std::string& setup = "",
                   const std::string& feed = "") {
    std::string command = "cd " + shell_quote(work_.string()) + " && " + setup + " ";
    if (!feed.empty()) command += feed + " | ";
    command += tool_command();
    for (const std::string& arg : args) {
      command += ' ';
      command += shell_quote(arg);
    }
    command += " >" + shell_quote((root_ / "stdout").string()) + " 2>" +
               shell_quote((root_ / "stderr").string());
    const int status = std::system(command.c_str());
    ToolRun result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = read_bytes(root_ / "stdout");
    result.err = read_bytes(root_ / "stderr");
    return result;
  }

  fs::path in_work(const std::string& name) const { return work_ / name; }
  void write(const std::string& name, const std::string& bytes) {
    write_bytes(in_work(name), bytes);
  }
  std::string read(const std::string& name) const { return read_bytes(in_work(name)); }
  Snapshot files() const { return snapshot(work_); }

  fs::path root_;
  fs::path work_;
};

}  // namespace tavrix::testing_tool
