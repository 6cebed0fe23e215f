// The few file operations a conversion run needs, over the platform's unbuffered I/O. Files
// are always opened in binary mode: line ends are the program's own business. Paths are
// byte strings as the command line gave them; on Windows they are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix::file_io {

using Handle = int;
constexpr Handle no_handle = -1;

// Opens an existing file (or device, or pipe) for reading.
bool open_input(const std::string& path, Handle& handle);

// Reads up to `size` bytes. Returns the count read, 0 at the end of the input, -1 on an error.
std::int64_t read_some(Handle handle, unsigned char* buffer, std::size_t size);

// Writes all `size` bytes; false on an error or a write that makes no progress.
bool write_all(Handle handle, const void* data, std::size_t size);

// Closes the handle; false if the system reports that earlier writes were lost.
bool close_handle(Handle handle);

// True when both paths name one existing file, through links too.
bool same_file(const std::string& a, const std::string& b);

bool is_directory(const std::string& path);

// True when `path` names a file that is not a directory.
bool is_file(const std::string& path);

// Creates a new, empty file with a unique name in the directory of `final_path`, so that it
// can later be renamed onto `final_path` in one step. Its permissions are those that a plain
// create of `final_path` would give.
bool create_temporary_beside(const std::string& final_path, std::string& temp_path, Handle& handle);

// Gives the file at `path` a second, unique name in the same directory, so that it can be put
// back if what replaces it cannot be completed. False if `path` does not exist or the file
// system cannot link it.
bool link_backup_beside(const std::string& path, std::string& backup_path);

// Moves the file at `path` to a unique name in the same directory: the backup where the
// file system cannot link.
bool move_aside(const std::string& path, std::string& backup_path);

// Replaces whatever is at `to` with the file at `from` in one step.
bool rename_over(const std::string& from, const std::string& to);

void remove_file(const std::string& path);

// A hidden name in the same directory as `path`, unlikely to be taken: a different one for
// each `attempt`. Creating the file exclusively, or linking to it, settles any collision.
std::string unique_name_beside(const std::string& path, std::uint64_t attempt);
constexpr int max_name_attempts = 100;

}  // namespace tavrix::file_io
