// Drives the scanner over a whole input held in memory, as the conversion run does over a
// file: piece by piece, then the end. The result has the reference scanner's shape, so that
// the two compare directly.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "reference_scanner.h"

namespace tavrix {

// Collects cells as the scanner writes them, big-endian, into signed values.
struct CellCollector {
  std::vector<unsigned char> buffer;
  std::vector<int>& values;
  void keep(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      values.push_back(static_cast<std::int16_t>(buffer[2 * i] << 8 | buffer[2 * i + 1]));
    }
  }
};

// The piece sizes every scanner table row is scanned in: tiny ones, so that each value, sign
// and line end straddles a piece's edge somewhere, and the whole input at once.
inline std::vector<std::size_t> piece_sizes_for(const std::string& input) {
  return {1, 2, 3, 7, input.size() + 1};
}

// Scans `input` in pieces of `piece_size` bytes; from `split` on, if given, all that is left
// as one piece.
inline reference::ScanResult scan_in_pieces(const std::string& input, std::size_t piece_size,
                                            std::size_t split = std::string::npos) {
  reference::ScanResult result;
  CellCollector cells{std::vector<unsigned char>(2 * (max_cells_for(input.size()) + 1)),
                      result.cells};
  ScanState state;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  for (std::size_t at = 0; at < input.size() && state.phase != ScanState::Phase::ended;) {
    const std::size_t size =
        at >= split ? input.size() - at : std::min(piece_size, input.size() - at);
    cells.keep(scan_cells(state, bytes + at, size, cells.buffer.data()));
    at += size;
  }
  cells.keep(finish_scan(state, cells.buffer.data()));
  result.columns = state.columns;
  result.rows = state.rows;
  result.error = state.error;
  return result;
}

}  // namespace tavrix
