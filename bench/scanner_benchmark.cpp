// The scanner alone over grids held in memory, in the pieces the conversion run reads:
// bytes and cells per second for the shapes of input that matter.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "convert/convert.h"

namespace {

struct GridShape {
  long long minimum;
  long long maximum;
  const char* separator;
  const char* line_end;
  int leading_zeros;
};

constexpr long long benchmark_rows = 1000;
constexpr long long benchmark_columns = 4000;
constexpr std::size_t piece_size = 256 * 1024;

std::string make_grid(const GridShape& shape) {
  std::uint64_t state = 12345;
  std::string grid;
  const auto span = static_cast<std::uint64_t>(shape.maximum - shape.minimum + 1);
  for (long long row = 0; row < benchmark_rows; ++row) {
    for (long long column = 0; column < benchmark_columns; ++column) {
      if (column > 0) grid += shape.separator;
      std::uint64_t x = (state += 0x9E3779B97F4A7C15ULL);
      x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
      x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
      x ^= x >> 31;
      const long long value = shape.minimum + static_cast<long long>(x % span);
      if (value < 0) grid += '-';
      grid.append(static_cast<std::size_t>(shape.leading_zeros), '0');
      grid += std::to_string(value < 0 ? -value : value);
    }
    grid += shape.line_end;
  }
  return grid;
}

// Scans the whole grid; returns the cells written, or -1 if the scan did not end whole.
long long scan_grid(const std::string& grid, unsigned char* cells) {
  tavrix::ScanState state;
  long long count = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(grid.data());
  for (std::size_t at = 0; at < grid.size(); at += piece_size) {
    const std::size_t size = std::min(piece_size, grid.size() - at);
    count += static_cast<long long>(tavrix::scan_cells(state, bytes + at, size, cells));
  }
  count += static_cast<long long>(tavrix::finish_scan(state, cells));
  return state.error.code == tavrix::ErrorCode::success ? count : -1;
}

void scan(benchmark::State& state, GridShape shape) {
  const std::string grid = make_grid(shape);
  const auto cells = std::make_unique<unsigned char[]>(2 * (tavrix::max_cells_for(piece_size) + 1));
  // Check the result before timing anything.
  if (scan_grid(grid, cells.get()) != benchmark_rows * benchmark_columns) {
    state.SkipWithError("the scanner did not convert the benchmark grid whole");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(scan_grid(grid, cells.get()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * grid.size()));
  state.SetItemsProcessed(state.iterations() * benchmark_rows * benchmark_columns);
}

}  // namespace

BENCHMARK_CAPTURE(scan, short_values_commas, GridShape{-500, 3999, ",", "\n", 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, long_values_commas, GridShape{-32768, 32767, ",", "\n", 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, short_values_crlf, GridShape{-500, 3999, ",", "\r\n", 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, short_values_tabs, GridShape{-500, 3999, "\t", "\n", 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, single_digits_spaces, GridShape{0, 9, " ", "\n", 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scan, many_leading_zeros, GridShape{0, 999, ",", "\n", 6})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
