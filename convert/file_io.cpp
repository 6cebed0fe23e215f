// What both platforms' file operations share.
#include <chrono>
#include <cstdio>

#include "file_io.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tavrix::file_io {
namespace {

std::string directory_of(const std::string& path) {
#ifdef _WIN32
  const std::size_t separator = path.find_last_of("/\\:");
#else
  const std::size_t separator = path.rfind('/');
#endif
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::uint64_t process_id() {
#ifdef _WIN32
  return static_cast<std::uint64_t>(_getpid());
#else
  return static_cast<std::uint64_t>(getpid());
#endif
}

}  // namespace

std::string unique_name_beside(const std::string& path, std::uint64_t attempt) {
  std::uint64_t x =
      process_id() * 0x9E3779B97F4A7C15ULL ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (attempt << 48);
  // splitmix64's finaliser spreads those bits over the whole name.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  x ^= x >> 31;
  char name[40];
  std::snprintf(name, sizeof name, ".tavrix-%016llx.tmp", static_cast<unsigned long long>(x));
  return directory_of(path) + name;
}

bool move_aside(const std::string& path, std::string& backup_path) {
  for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
    backup_path = unique_name_beside(path, static_cast<std::uint64_t>(attempt));
    if (is_file(backup_path) || is_directory(backup_path)) continue;
    if (rename_over(path, backup_path)) return true;
    break;
  }
  backup_path.clear();
  return false;
}

}  // namespace tavrix::file_io
