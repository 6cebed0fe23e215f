#include <gtest/gtest.h>

#include "convert/convert.h"

namespace tavrix {
namespace {

struct Naming {
  std::string output_name;
  std::string raster;
  std::string header;
};

TEST(OutputPaths, DerivedFromTheOutputName) {
  const Naming cases[] = {
      {"out", "out.bil", "out.hdr"},
      {"out.bil", "out.bil", "out.hdr"},
      {"out.BIL", "out.bil", "out.hdr"},
      {"out.Bil", "out.bil", "out.hdr"},
      {"Out.Bil", "Out.bil", "Out.hdr"},
      {"out.txt", "out.txt.bil", "out.txt.hdr"},
      {"x.bil.bil", "x.bil.bil", "x.bil.hdr"},
      {"x.BILL", "x.BILL.bil", "x.BILL.hdr"},
      {"a.b/c", "a.b/c.bil", "a.b/c.hdr"},
      {"dir.bil/x", "dir.bil/x.bil", "dir.bil/x.hdr"},
      {"dir/x.bil", "dir/x.bil", "dir/x.hdr"},
      {".bil", ".bil", ".hdr"},
      {"", ".bil", ".hdr"},
      {"out.", "out..bil", "out..hdr"},
      {"out.bi", "out.bi.bil", "out.bi.hdr"},
      {".", "..bil", "..hdr"},
      {std::string(300, 'n') + ".bil", std::string(300, 'n') + ".bil",
       std::string(300, 'n') + ".hdr"},
  };
  for (const Naming& naming : cases) {
    SCOPED_TRACE("output name \"" + naming.output_name + "\"");
    const OutputPaths paths = output_paths_for(naming.output_name);
    EXPECT_EQ(paths.raster, naming.raster);
    EXPECT_EQ(paths.header, naming.header);
  }
}

}  // namespace
}  // namespace tavrix
