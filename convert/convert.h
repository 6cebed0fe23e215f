// tavrix: converts a text grid of integers into a BIL raster (.bil) and its header (.hdr).
//
// The conversion run, the header writer, the output naming and the cell scanner are declared
// here; the command-line entry only needs convert_grid().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tavrix {

// Every way a conversion can stop. Each has one message form, see error_message().
enum class ErrorCode : std::uint8_t {
  success,
  cannot_open_input,     // the input path could not be opened for reading
  cannot_read_input,     // reading the input failed (a directory, an I/O error)
  cannot_create_output,  // an output (or its temporary) could not be created or put in place
  output_is_input,       // an output path names the input file itself
  cannot_write_output,   // writing, flushing or closing an output failed (a full disk)
  unexpected_byte,       // a byte that belongs to no value, separator or line end
  sign_without_digits,   // a "-" or "+" not followed by a digit
  value_out_of_range,    // a value outside -32768..32767
  row_length_mismatch,   // a row whose value count differs from the first row's
  no_values,             // the input holds no value at all
};

// What went wrong and where. Only the fields that the code's message uses are meaningful.
struct ConversionError {
  ErrorCode code = ErrorCode::success;
  std::string path;  // the file the message names: the input path or a final output path
  // Input faults: 1-based line, and 1-based byte column within the line (a skipped UTF-8
  // byte-order mark is not counted). The column is 0 for row_length_mismatch.
  std::int64_t line = 0;
  std::int64_t column = 0;
  std::uint8_t byte = 0;  // unexpected_byte: the offending byte
  // value_out_of_range: the value's sign and its first significant digits; more_digits says
  // that digits beyond those 18 were dropped.
  bool negative = false;
  std::uint64_t magnitude = 0;
  bool more_digits = false;
  // row_length_mismatch: values on the offending row, and on the first row.
  std::int64_t values = 0;
  std::int64_t expected = 0;
};

// The one console line for an error: "ERROR - ..." ended by CR LF.
std::string error_message(const ConversionError& error);

// ---------------------------------------------------------------------------------------------
// Output naming

struct OutputPaths {
  std::string raster;  // base name + ".bil"
  std::string header;  // base name + ".hdr"
};

// Derives both output paths from the output name given on the command line. The base name is
// the output name less its last ".bil" extension, compared without regard to ASCII case; the
// test looks at the last "." of the whole name, whichever path component holds it, and removes
// at most one extension. The base name keeps its own letters; the raster extension is always
// written as ".bil". No length limit.
OutputPaths output_paths_for(std::string_view output_name);

// ---------------------------------------------------------------------------------------------
// Header writer

// The .hdr text for a grid: exactly eight keyword lines, each ended by CR LF. Only NCOLS and
// NROWS vary; the byte order, the no-data value and the georeference are fixed texts.
std::string header_text(std::int64_t columns, std::int64_t rows);

// ---------------------------------------------------------------------------------------------
// Cell scanner and raster encoder
//
// The input grammar: values separated by spaces, tabs or commas (runs of them count as one),
// one grid row per line. Line ends are LF, CR LF or a lone CR. A value is an optional "-" or
// "+" followed at once by one or more ASCII digits, with any number of leading zeros, and must
// lie in -32768..32767. A UTF-8 byte-order mark as the very first bytes is skipped; a 0x1A
// byte ends the input. Lines without a value are skipped and are not rows. Every row must hold
// as many values as the first. Anything else is an error at the offending byte.
//
// The scanner is fed the input in pieces of any size, so that it runs in constant memory; a
// value, a CR LF pair or the byte-order mark may straddle two pieces.

// Where the scanner is in the input between two pieces. Start each input with a fresh value.
struct ScanState {
  enum class Phase : std::uint8_t {
    start_of_input,  // the byte-order mark may still come
    between_values,  // after a separator or a line end
    after_cr,        // a CR ended a line; a LF right after it belongs to the same line end
    after_sign,      // a sign was read, its first digit not yet
    in_digits,       // inside a value's digits
    ended,           // a 0x1A byte ended the input, or an error stopped the scan
  };
  Phase phase = Phase::start_of_input;
  std::uint8_t bom_bytes = 0;  // how much of the byte-order mark has been matched

  std::int64_t columns = 0;  // values on the first row; 0 until the first row has ended
  std::int64_t rows = 0;     // rows ended so far
  std::int64_t values_in_line = 0;

  std::int64_t line = 1;
  std::int64_t offset = 0;      // bytes of the input consumed, the byte-order mark not counted
  std::int64_t line_start = 0;  // offset of the current line's first byte

  // The value being read.
  bool negative = false;
  std::uint64_t magnitude = 0;  // its first 18 significant digits
  bool more_digits = false;     // digits beyond those 18 were seen
  std::int64_t value_column = 0;

  ConversionError error;  // set, without a path, when the scan stops on a fault
};

// Room for the cells that one call may write: each cell needs a digit and a separator, and
// a value carried over from the previous piece needs only its separator.
constexpr std::size_t max_cells_for(std::size_t piece_size) {
  return piece_size / 2 + 1;
}

// Scans the next piece of the input and writes each value that ends in it to `cells` as a
// 16-bit big-endian two's-complement cell; `cells` must have room for max_cells_for(size)
// cells (twice as many bytes). Returns the number of cells written. Scanning stops early, with
// state.phase == ended, on a 0x1A byte or on a fault (then state.error.code says which); the
// cells written before the fault are returned all the same.
std::size_t scan_cells(ScanState& state, const unsigned char* data, std::size_t size,
                       unsigned char* cells);

// Ends the scan at the end of the input: a value that no separator ended is written (at most
// one cell, returned), a last line without a line end counts as a row, and an input without
// any value is a fault. Afterwards state.error.code is success exactly when the grid is whole,
// and then state.columns * state.rows cells have been written in all.
std::size_t finish_scan(ScanState& state, unsigned char* cells);

// Two threads may scan one piece: the part from a line start on is scanned with a state from
// scan_state_at_line_start(), and joined to the state that scanned up to that line start.

// A fresh state for input that begins at a line start of a grid whose rows hold `columns`
// values (at least 1: the first row must have ended).
ScanState scan_state_at_line_start(std::int64_t columns);

// Carries `state`, which scanned up to just after a line end, on through `rest`, which
// scanned what follows from scan_state_at_line_start(). `state` must not have ended; the
// cells written for `rest` follow those written for `state`.
void join_scans(ScanState& state, const ScanState& rest);

// ---------------------------------------------------------------------------------------------
// Conversion run

// Where the run prints: the progress dots and the final line end go to `out`, error lines to
// `err`. When `out_is_terminal`, the dots are flushed as each piece of the input is converted,
// so that they appear live without a system call per cell.
struct Console {
  std::FILE* out;
  std::FILE* err;
  bool out_is_terminal;
};

// Converts the grid at `input_path` into the raster and header named by `output_name`. Both
// outputs are written under temporary names beside their final paths and put in place only
// when the whole input converted and both were written and closed without error; on any
// failure the temporaries are removed and files already at the final paths stay as they
// were. Prints one dot per cell converted, then a line end; on failure, one error line.
// Returns true on success.
bool convert_grid(const std::string& input_path, std::string_view output_name,
                  const Console& console);

}  // namespace tavrix
