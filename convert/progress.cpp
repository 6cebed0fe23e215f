#include "progress.h"

#include <array>

namespace tavrix {

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
  if (progress.console.out_is_terminal) std::fflush(progress.console.out);
}

void end_dots_line(Progress& progress) {
  std::fputs("\r\n", progress.console.out);
  std::fflush(progress.console.out);
  progress.dots = 0;
}

}  // namespace tavrix
