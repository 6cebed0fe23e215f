// tavrix: converts a text grid of integers into a BIL raster and its header.
//
// Exit status: 0 when the conversion completed and both files are in place, 1 when it failed,
// 2 when the command line does not hold exactly two arguments.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>  // after windows.h, which it needs
#else
#include <unistd.h>

#include <csignal>
#endif

#include "convert/convert.h"

namespace {

#ifdef _WIN32
// The arguments in UTF-8, whatever the console's code page: the narrow argv would lose every
// character that the code page lacks.
std::vector<std::string> command_line_arguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 0; i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), size, nullptr, nullptr);
    arguments.push_back(argument);
  }
  LocalFree(wide);
  return arguments;
}

bool is_terminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}

void prepare_process() {
  // Console text ends its lines with CR LF already; text mode would make them CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
#else
std::vector<std::string> command_line_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool is_terminal(std::FILE* stream) {
  return isatty(fileno(stream)) != 0;
}

void prepare_process() {
  // A closed pipe on standard output, or a file-size limit, must show up as a failed write
  // that the run can clean up after, not as a signal that kills it with temporaries left.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  prepare_process();
  // Fully buffered even on a terminal: the run flushes the progress dots itself.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

  std::fputs("Tavrix Ver 1.0.0 (c) 2026 the tavrix developers\r\n", stdout);
  const std::vector<std::string> arguments = command_line_arguments(argc, argv);
  if (arguments.size() != 3) {
    std::fputs("Usage tavrix <CSV Filename> <Bil Filename>\r\n", stdout);
    std::fflush(stdout);
    return 2;
  }
  std::fflush(stdout);
  const tavrix::Console console{stdout, stderr, is_terminal(stdout)};
  const bool converted = tavrix::convert_grid(arguments[1], arguments[2], console);
  std::fflush(stdout);
  return converted ? 0 : 1;
}
