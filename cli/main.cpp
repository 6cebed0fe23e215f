// tavrix: converts a text grid of integers into a BIL raster and its header.
//
// Exit status: 0 when the conversion completed and both files are in place, 1 when it failed,
// 2 when the command line does not hold exactly two arguments.
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#include <csignal>
#endif

#include "convert/convert.h"

namespace {

bool is_terminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Console text ends its lines with CR LF already; text mode would make them CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#else
  // A closed pipe on standard output, or a file-size limit, must show up as a failed write
  // that the run can clean up after, not as a signal that kills it with temporaries left.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // Fully buffered even on a terminal: the run flushes the progress dots itself.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

  std::fputs("Tavrix Ver 1.0.0 (c) 2026 the tavrix developers\r\n", stdout);
  if (argc != 3) {
    std::fputs("Usage tavrix <CSV Filename> <Bil Filename>\r\n", stdout);
    std::fflush(stdout);
    return 2;
  }
  std::fflush(stdout);
  const tavrix::Console console{stdout, stderr, is_terminal(stdout)};
  const bool converted = tavrix::convert_grid(argv[1], argv[2], console);
  std::fflush(stdout);
  return converted ? 0 : 1;
}
