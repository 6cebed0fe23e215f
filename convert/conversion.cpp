// The conversion run: input opened first, outputs written under temporary names, both put in
// place together only when everything succeeded.
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "convert.h"
#include "file_io.h"
#include "progress.h"
#include "second_lane.h"

namespace tavrix {
namespace {

// Input is read in pieces of this size: small enough to stay in cache, large enough that the
// system calls, and handing half of each piece to the second lane, cost little.
constexpr std::size_t input_piece_size = 1024 * 1024;

// Pieces at least this large are scanned by two threads, once the first row has fixed the
// grid's column count.
constexpr std::size_t two_thread_piece_size = 64 * 1024;

struct InputFile {
  file_io::Handle handle = file_io::no_handle;
  ~InputFile() {
    if (handle != file_io::no_handle) file_io::close_handle(handle);
  }
};

// An output being written under a temporary name. Unless it was put in place, destruction
// removes it: a failed run leaves nothing behind.
struct TemporaryOutput {
  std::string final_path;
  std::string temp_path;
  file_io::Handle handle = file_io::no_handle;
  ~TemporaryOutput() {
    if (handle != file_io::no_handle) file_io::close_handle(handle);
    if (!temp_path.empty()) file_io::remove_file(temp_path);
  }
};

ConversionError fault(ErrorCode code, const std::string& path) {
  ConversionError error;
  error.code = code;
  error.path = path;
  return error;
}

bool close_output(TemporaryOutput& output) {
  const bool closed = file_io::close_handle(output.handle);
  output.handle = file_io::no_handle;
  return closed;
}

// Where a piece is cut for two threads: at the first line start past `share` 64ths of it,
// once the first row has fixed the grid's column count; nullptr for a piece scanned whole.
const unsigned char* two_thread_cut(const ScanState& scan, const unsigned char* piece,
                                    std::size_t size, int share) {
  if (size < two_thread_piece_size || scan.columns == 0) return nullptr;
  const std::size_t from = size / 64 * static_cast<std::size_t>(share);
  const void* line_feed = std::memchr(piece + from, '\n', size - from - 1);
  return line_feed == nullptr ? nullptr : static_cast<const unsigned char*>(line_feed) + 1;
}

// Reads the whole input through the scanner into the raster's temporary file. While this
// thread scans a piece up to its cut, then writes its cells, the second lane scans the rest
// of it from a fresh state and then reads the next piece; the two scans are joined as if they
// had been one. The piece's dots are shown before the next piece is awaited.
ConversionError convert_cells(const std::string& input_path, file_io::Handle input,
                              TemporaryOutput& raster, Progress& progress, ScanState& scan) {
  const auto pieces = std::make_unique<unsigned char[]>(2 * input_piece_size);
  // Room for the cells of both parts of a piece, and for the one that the end may add.
  const auto cells = std::make_unique<unsigned char[]>(2 * (max_cells_for(input_piece_size) + 2));
  const auto rest_cells = std::make_unique<unsigned char[]>(2 * max_cells_for(input_piece_size));
  std::int64_t next_count = 0;  // read ahead by the second lane, which it must outlive
  SecondLane lane;
  start_second_lane(lane);

  // The cut, in 64ths of a piece, moves a step later whenever this thread had to wait for the
  // second lane and a step earlier when it did not, so that both finish their share of a piece
  // at about the same time whatever the machine's speeds of reading, scanning and writing.
  // It starts near where it settles on a machine where reading a piece costs a little more
  // than writing its cells.
  int cut_share = 38;
  unsigned char* piece = pieces.get();
  unsigned char* next_piece = pieces.get() + input_piece_size;
  std::int64_t count = file_io::read_some(input, piece, input_piece_size);
  for (;;) {
    if (count < 0) return fault(ErrorCode::cannot_read_input, input_path);
    const auto size = static_cast<std::size_t>(count);
    const unsigned char* cut = two_thread_cut(scan, piece, size, cut_share);
    const std::size_t first_size = cut == nullptr ? size : static_cast<std::size_t>(cut - piece);
    ScanState rest = scan_state_at_line_start(scan.columns);
    std::size_t rest_count = 0;
    if (cut != nullptr) {
      begin_job(lane,
                [&] { rest_count = scan_cells(rest, cut, size - first_size, rest_cells.get()); });
    }
    // Read ahead even if this piece turns out to end the input: it is then never used.
    if (size > 0) {
      begin_job(lane, [&next_count, input, buffer = next_piece] {
        next_count = file_io::read_some(input, buffer, input_piece_size);
      });
    }
    std::size_t cell_count = size == 0 ? 0 : scan_cells(scan, piece, first_size, cells.get());
    bool waited = cut != nullptr && finish_job(lane);
    // A 0x1A byte or a fault before the cut ends the input there: the rest does not count.
    if (cut != nullptr && scan.phase != ScanState::Phase::ended) {
      join_scans(scan, rest);
      std::memcpy(cells.get() + 2 * cell_count, rest_cells.get(), 2 * rest_count);
      cell_count += rest_count;
    }

    // The input ends at the end of the file, or earlier at a 0x1A byte.
    const bool input_ended = size == 0 || scan.phase == ScanState::Phase::ended;
    if (input_ended) cell_count += finish_scan(scan, cells.get() + 2 * cell_count);
    const bool written = file_io::write_all(raster.handle, cells.get(), 2 * cell_count);
    // Shown before waiting for more input, which may be slow to come through a pipe.
    if (written) print_dots(progress, cell_count);
    if (size > 0 && finish_job(lane)) waited = true;
    if (cut != nullptr) cut_share = std::clamp(cut_share + (waited ? 1 : -1), 8, 56);
    if (!written) return fault(ErrorCode::cannot_write_output, raster.final_path);
    if (scan.error.code != ErrorCode::success) {
      ConversionError error = scan.error;
      error.path = input_path;
      return error;
    }
    if (input_ended) return {};
    std::swap(piece, next_piece);
    count = next_count;
  }
}

// Puts both finished files in place. Until the header is in place too, the older raster is
// kept under a second name (a hard link, or the file itself moved aside where the file system
// has no links), so that should the header fail to go in, the older raster is put back: a
// raster never stands beside another grid's header, and a failed run loses no older file.
ConversionError put_in_place(TemporaryOutput& raster, TemporaryOutput& header) {
  std::string backup;
  bool moved_aside = false;
  if (!file_io::link_backup_beside(raster.final_path, backup) &&
      file_io::is_file(raster.final_path)) {
    moved_aside = file_io::move_aside(raster.final_path, backup);
    if (!moved_aside) return fault(ErrorCode::cannot_create_output, raster.final_path);
  }
  if (!file_io::rename_over(raster.temp_path, raster.final_path)) {
    if (moved_aside) {
      file_io::rename_over(backup, raster.final_path);
    } else if (!backup.empty()) {
      file_io::remove_file(backup);
    }
    return fault(ErrorCode::cannot_create_output, raster.final_path);
  }
  raster.temp_path.clear();
  if (!file_io::rename_over(header.temp_path, header.final_path)) {
    if (backup.empty()) {
      file_io::remove_file(raster.final_path);
    } else {
      file_io::rename_over(backup, raster.final_path);
    }
    return fault(ErrorCode::cannot_create_output, header.final_path);
  }
  header.temp_path.clear();
  if (!backup.empty()) file_io::remove_file(backup);
  return {};
}

ConversionError run(const std::string& input_path, std::string_view output_name,
                    Progress& progress) {
  const OutputPaths paths = output_paths_for(output_name);

  InputFile input;
  if (!file_io::open_input(input_path, input.handle)) {
    // Some systems refuse to open a directory at all, others fail its first read: either way
    // it is a file that cannot be read.
    return fault(file_io::is_directory(input_path) ? ErrorCode::cannot_read_input
                                                   : ErrorCode::cannot_open_input,
                 input_path);
  }
  for (const std::string* path : {&paths.raster, &paths.header}) {
    if (file_io::same_file(input_path, *path)) return fault(ErrorCode::output_is_input, *path);
  }

  TemporaryOutput raster{paths.raster, {}, file_io::no_handle};
  TemporaryOutput header{paths.header, {}, file_io::no_handle};
  for (TemporaryOutput* output : {&raster, &header}) {
    if (!file_io::create_temporary_beside(output->final_path, output->temp_path, output->handle)) {
      return fault(ErrorCode::cannot_create_output, output->final_path);
    }
  }

  ScanState scan;
  ConversionError error = convert_cells(input_path, input.handle, raster, progress, scan);
  if (error.code != ErrorCode::success) return error;
  if (!close_output(raster)) return fault(ErrorCode::cannot_write_output, raster.final_path);

  const std::string header_bytes = header_text(scan.columns, scan.rows);
  if (!file_io::write_all(header.handle, header_bytes.data(), header_bytes.size()) ||
      !close_output(header)) {
    return fault(ErrorCode::cannot_write_output, header.final_path);
  }
  return put_in_place(raster, header);
}

}  // namespace

bool convert_grid(const std::string& input_path, std::string_view output_name,
                  const Console& console) {
  Progress progress{console};
  const ConversionError error = run(input_path, output_name, progress);
  if (error.code == ErrorCode::success) {
    end_dots_line(progress);
    return true;
  }
  // On a console the message must start a line of its own.
  if (progress.dots > 0) end_dots_line(progress);
  std::fflush(console.out);
  const std::string message = error_message(error);
  std::fwrite(message.data(), 1, message.size(), console.err);
  std::fflush(console.err);
  return false;
}

}  // namespace tavrix
