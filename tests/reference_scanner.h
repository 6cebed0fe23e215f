// A second scanner, written for clarity alone: the whole input in memory, cut into lines,
// lines into fields, each field checked against the grammar byte by byte. The tests and the
// fuzzer hold the real scanner to it.
#pragma once

#include <string_view>
#include <vector>

#include "convert/convert.h"

namespace tavrix::reference {

struct ScanResult {
  std::vector<int> cells;  // every value accepted before the end or the fault, in order
  std::int64_t columns = 0;
  std::int64_t rows = 0;
  ConversionError error;  // code success when the grid is whole; no path
};

ScanResult scan(std::string_view input);

}  // namespace tavrix::reference
