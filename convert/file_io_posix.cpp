// POSIX file operations.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "file_io.h"

namespace tavrix::file_io {
bool open_input(const std::string& path, Handle& handle) {
  do {
    handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  return handle >= 0;
}

std::int64_t read_some(Handle handle, unsigned char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(handle, buffer, size);
    if (count >= 0) return count;
    if (errno != EINTR) return -1;
  }
}

bool write_all(Handle handle, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t count = ::write(handle, bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

bool close_handle(Handle handle) {
  // After EINTR the descriptor is already released on Linux; retrying could close another.
  return ::close(handle) == 0 || errno == EINTR;
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool is_directory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool is_file(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool create_temporary_beside(const std::string& final_path, std::string& temp_path,
                             Handle& handle) {
  for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
    temp_path = unique_name_beside(final_path, static_cast<std::uint64_t>(attempt));
    // Mode 0666 less the umask, as a plain create gives; mkstemp's 0600 would not.
    handle = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle >= 0) return true;
    if (errno != EEXIST && errno != EINTR) break;
  }
  temp_path.clear();
  return false;
}

bool link_backup_beside(const std::string& path, std::string& backup_path) {
  for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
    backup_path = unique_name_beside(path, static_cast<std::uint64_t>(attempt));
    if (::link(path.c_str(), backup_path.c_str()) == 0) return true;
    if (errno != EEXIST) break;
  }
  backup_path.clear();
  return false;
}

bool rename_over(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

void remove_file(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace tavrix::file_io
