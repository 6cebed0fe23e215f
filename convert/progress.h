// The line of progress dots: one dot per cell converted.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "convert.h"

namespace tavrix {

struct Progress {
  const Console& console;
  std::int64_t dots = 0;  // printed on the current line
  std::chrono::steady_clock::time_point last_flush = std::chrono::steady_clock::now();
};

// Prints `count` dots. They go through the stream's buffer; on a terminal the buffer is
// flushed at most every few tens of milliseconds, so that the dots appear live without
// costing a system call per cell.
void print_dots(Progress& progress, std::size_t count);

// Ends the line of dots (CR LF) and flushes, so that whatever follows starts a line of its own.
void end_dots_line(Progress& progress);

}  // namespace tavrix
