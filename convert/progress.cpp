#include "progress.h"

#include <array>

namespace tavrix {
namespace {

constexpr auto terminal_flush_interval = std::chrono::milliseconds(40);

}  // namespace

void print_dots(Progress& progress, std::size_t count) {
  // Large writes: a stream passes a write of at least its buffer's size straight through.
  static constexpr std::size_t dots_size = 64 * 1024;
  static const auto dots = [] {
    std::array<char, dots_size> line;
    line.fill('.');
    return line;
  }();
  progress.dots += static_cast<std::int64_t>(count);
  while (count > 0) {
    const std::size_t part = count < dots_size ? count : dots_size;
    std::fwrite(dots.data(), 1, part, progress.console.out);
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
