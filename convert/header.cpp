// The .hdr header: eight keyword lines that GIS readers take as the raster's description.
#include <cinttypes>
#include <cstdio>

#include "convert.h"

namespace tavrix {

std::string header_text(std::int64_t columns, std::int64_t rows) {
  // BYTEORDER M: cells are written most significant byte first. ULXMAP and ULYMAP are the map
  // coordinates of the centre of the upper-left cell; with XDIM and YDIM they are the same
  // for every raster this tool writes.
  char size_lines[64];
  std::snprintf(size_lines, sizeof size_lines, "NCOLS %" PRId64 "\r\nNROWS %" PRId64 "\r\n",
                columns, rows);
  return std::string(
             "BYTEORDER      M \r\n"
             "NODATA -9999\r\n") +
         size_lines +
         "ULXMAP 138.538944444444\r\n"
         "ULYMAP 35.515555555556\r\n"
         "XDIM 0.000555237368\r\n"
         "YDIM 0.000452927215\r\n";
}

}  // namespace tavrix
