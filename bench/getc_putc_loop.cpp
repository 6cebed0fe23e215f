// The plainest converter there is, kept as a yardstick: getc and putc one byte at a time, no
// validation at all, one dot per cell on standard output.
//
//   getc_putc_loop GRID RASTER
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::FILE* in = std::fopen(argv[1], "rb");
  std::FILE* out = std::fopen(argv[2], "wb");
  if (in == nullptr || out == nullptr) return 1;
  int value = 0;
  bool digits = false;
  bool minus = false;
  for (int c; (c = std::getc(in)) != EOF;) {
    if (c == ',' || c == ' ' || c == '\t' || c == '\n') {
      if (digits) {
        if (minus) value = -value;
        std::putc((value >> 8) & 0xFF, out);
        std::putc(value & 0xFF, out);
        std::putchar('.');
        minus = false;
      }
      value = 0;
      digits = false;
    } else if (c == '-') {
      minus = true;
    } else if (c != '\r') {
      value = value * 10 + (c - '0');
      digits = true;
    }
  }
  std::putchar('\n');
  std::fclose(in);
  return std::fclose(out) == 0 ? 0 : 1;
}
