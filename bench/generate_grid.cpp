// Writes a grid of pseudo-random integers to standard output, the same for the same
// arguments on every machine.
//
//   generate_grid ROWS COLUMNS [--min N] [--max N] [--separator TEXT] [--crlf] [--seed N]
//                 [--aaigrid]
//
// --aaigrid writes the header of an ASCII grid first (for readers that want one) and should
// be used with a space as separator.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::uint64_t next_random(std::uint64_t& state) {
  // splitmix64
  std::uint64_t x = (state += 0x9E3779B97F4A7C15ULL);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

int usage() {
  std::fputs(
      "usage: generate_grid ROWS COLUMNS [--min N] [--max N] [--separator TEXT] [--crlf] "
      "[--seed N] [--aaigrid]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const long long rows = std::atoll(argv[1]);
  const long long columns = std::atoll(argv[2]);
  long long minimum = -500;
  long long maximum = 3999;
  std::string separator = ",";
  const char* line_end = "\n";
  std::uint64_t state = 1;
  bool aaigrid = false;
  for (int i = 3; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (std::strcmp(argv[i], "--min") == 0 && has_value) {
      minimum = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--max") == 0 && has_value) {
      maximum = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--separator") == 0 && has_value) {
      separator = argv[++i];
    } else if (std::strcmp(argv[i], "--seed") == 0 && has_value) {
      state = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--crlf") == 0) {
      line_end = "\r\n";
    } else if (std::strcmp(argv[i], "--aaigrid") == 0) {
      aaigrid = true;
    } else {
      return usage();
    }
  }
  if (rows < 1 || columns < 1 || maximum < minimum) return usage();

  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  if (aaigrid) {
    std::printf("ncols %lld%snrows %lld%sxllcorner 0%syllcorner 0%scellsize 1%s", columns, line_end,
                rows, line_end, line_end, line_end, line_end);
  }
  const auto span = static_cast<std::uint64_t>(maximum - minimum + 1);
  for (long long row = 0; row < rows; ++row) {
    for (long long column = 0; column < columns; ++column) {
      if (column > 0) std::fputs(separator.c_str(), stdout);
      const long long value = minimum + static_cast<long long>(next_random(state) % span);
      std::printf("%lld", value);
    }
    std::fputs(line_end, stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
