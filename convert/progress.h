// The line of progress dots: one dot per cell converted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert.h"

namespace tavrix {

struct Progress {
  const Console& console;
  std::int64_t dots = 0;  // printed on the current line
};

// Prints `count` dots, those of one piece of the input. They go through the stream's buffer;
// on a terminal the buffer is flushed once per piece, so that the dots appear as the input
// comes without costing a system call per cell.
void print_dots(Progress& progress, std::size_t count);

// Ends the line of dots (CR LF) and flushes, so that whatever follows starts a line of its own.
void end_dots_line(Progress& progress);

}  // namespace tavrix
