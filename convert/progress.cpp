#include "progress.h"

#include <cstring>

namespace tavrix {
namespace {

constexpr auto terminal_flush_interval = std::chrono::milliseconds(40);

}  // namespace

void print_dots(Progress& progress, std::size_t count) {
  char dots[4096];
  std::memset(dots, '.', sizeof dots);
  progress.dots += static_cast<std::int64_t>(count);
  while (count > 0) {
    const std::size_t part = count < sizeof dots ? count : sizeof dots;
    std::fwrite(dots, 1, part, progress.console.out);
    count -= part;
  }
  if (progress.console.out_is_terminal) {
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.last_flush >= terminal_flush_interval) {
      std::fflush(progress.console.out);
      progress.last_flush = now;
    }
  }
}

void end_dots_line(Progress& progress) {
  std::fputs("\r\n", progress.console.out);
  std::fflush(progress.console.out);
  progress.dots = 0;
}

}  // namespace tavrix
