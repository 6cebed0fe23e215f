// Output naming: one output name gives the raster path and the header path.
#include "convert.h"

namespace tavrix {
namespace {

bool is_raster_extension(std::string_view extension) {
  constexpr std::string_view raster_extension = ".bil";
  if (extension.size() != raster_extension.size()) return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != raster_extension[i]) return false;
  }
  return true;
}

}  // namespace

OutputPaths output_paths_for(std::string_view output_name) {
  std::string_view base = output_name;
  const std::size_t last_dot = output_name.rfind('.');
  if (last_dot != std::string_view::npos && is_raster_extension(output_name.substr(last_dot))) {
    base = output_name.substr(0, last_dot);
  }
  return {std::string(base) + ".bil", std::string(base) + ".hdr"};
}

}  // namespace tavrix
