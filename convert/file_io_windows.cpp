// Windows file operations, through the wide-character Win32 and C runtime calls, so that any
// path works: UTF-8 paths are converted, and long ones get the \\?\ prefix that lifts the
// 260-character limit.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "file_io.h"

namespace tavrix::file_io {
namespace {

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring converted(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                      size);
  return converted;
}

// The path as the wide-character calls take it: paths near or past MAX_PATH are made absolute
// and given the prefix that lifts the limit.
std::wstring system_path(const std::string& path) {
  std::wstring converted = wide(path);
  if (converted.size() < MAX_PATH - 12 || converted.rfind(L"\\\\?\\", 0) == 0) return converted;
  const DWORD size = GetFullPathNameW(converted.c_str(), 0, nullptr, nullptr);
  if (size == 0) return converted;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(converted.c_str(), size, full.data(), nullptr));
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Identifies a file by its volume and index, as links to one file share them.
bool file_identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
  const HANDLE file = CreateFileW(system_path(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

bool open_input(const std::string& path, Handle& handle) {
  handle = _wopen(system_path(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  return handle >= 0;
}

std::int64_t read_some(Handle handle, unsigned char* buffer, std::size_t size) {
  const unsigned count = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
  return _read(handle, buffer, count);
}

bool write_all(Handle handle, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const unsigned count = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    const int written = _write(handle, bytes, count);
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool close_handle(Handle handle) {
  return _close(handle) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  return file_identity(a, first) && file_identity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool is_directory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(system_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_file(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(system_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool create_temporary_beside(const std::string& final_path, std::string& temp_path,
                             Handle& handle) {
  for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
    temp_path = unique_name_beside(final_path, static_cast<std::uint64_t>(attempt));
    handle =
        _wopen(system_path(temp_path).c_str(),
               _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (handle >= 0) return true;
    if (errno != EEXIST) break;
  }
  temp_path.clear();
  return false;
}

bool link_backup_beside(const std::string& path, std::string& backup_path) {
  for (int attempt = 0; attempt < max_name_attempts; ++attempt) {
    backup_path = unique_name_beside(path, static_cast<std::uint64_t>(attempt));
    if (CreateHardLinkW(system_path(backup_path).c_str(), system_path(path).c_str(), nullptr)) {
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  backup_path.clear();
  return false;
}

bool rename_over(const std::string& from, const std::string& to) {
  return MoveFileExW(system_path(from).c_str(), system_path(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

void remove_file(const std::string& path) {
  DeleteFileW(system_path(path).c_str());
}

}  // namespace tavrix::file_io
