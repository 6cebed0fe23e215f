#!/usr/bin/env python3
"""GDAL as a real client of tavrix's outputs.

    gdal_client_test.py TAVRIX_COMMAND...

GDAL must open every raster tavrix writes as Int16, with the grid's size, NoData -9999 and the
header's georeference, and read back exactly the values of the input grid; and a grid that
GDAL itself writes as an ASCII grid must come back through tavrix with the same values.

Exits 77 (skipped) where GDAL's Python bindings are missing, except under CI=true, where a
missing client is a failure.
"""
import os
import random
import subprocess
import sys
import tempfile
import unittest

try:
    import numpy
    from osgeo import gdal
except ImportError as missing:
    if os.environ.get("CI") == "true":
        sys.exit(f"GDAL's Python bindings are needed here: {missing}")
    print(f"skipped: {missing} (install gdal-bin and python3-gdal)")
    sys.exit(77)

gdal.UseExceptions()
TAVRIX = sys.argv[1:]

# The georeference every header states: the centre of the upper-left cell, and the cell size.
ULXMAP, ULYMAP = 138.538944444444, 35.515555555556
XDIM, YDIM = 0.000555237368, 0.000452927215


def convert(directory, text):
    """Writes `text` as a grid file, converts it, returns the raster path."""
    grid = os.path.join(directory, "grid.csv")
    with open(grid, "wb") as file:
        file.write(text.encode())
    result = subprocess.run([*TAVRIX, grid, os.path.join(directory, "out")],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise AssertionError(f"tavrix failed: {result.stderr.decode()}")
    return os.path.join(directory, "out.bil")


def grid_text(rows, separator=",", line_end="\n"):
    return "".join(separator.join(str(v) for v in row) + line_end for row in rows)


class GdalReadsTavrixRasters(unittest.TestCase):
    def check(self, rows, separator=",", line_end="\n"):
        with tempfile.TemporaryDirectory() as directory:
            raster = convert(directory, grid_text(rows, separator, line_end))
            dataset = gdal.Open(raster)
            self.assertEqual(dataset.GetDriver().ShortName, "EHdr")
            self.assertEqual((dataset.RasterXSize, dataset.RasterYSize), (len(rows[0]), len(rows)))
            self.assertEqual(dataset.RasterCount, 1)
            band = dataset.GetRasterBand(1)
            self.assertEqual(gdal.GetDataTypeName(band.DataType), "Int16")
            self.assertEqual(band.GetNoDataValue(), -9999)
            origin_x, size_x, skew_x, origin_y, skew_y, size_y = dataset.GetGeoTransform()
            # GDAL's origin is the upper-left corner: half a cell up and left of its centre.
            self.assertAlmostEqual(origin_x, ULXMAP - XDIM / 2, places=12)
            self.assertAlmostEqual(origin_y, ULYMAP + YDIM / 2, places=12)
            self.assertAlmostEqual(size_x, XDIM, places=15)
            self.assertAlmostEqual(size_y, -YDIM, places=15)
            self.assertEqual((skew_x, skew_y), (0, 0))
            self.assertEqual(band.ReadAsArray().tolist(), rows)
            dataset = None

    def test_full_range(self):
        values = list(range(-32768, 32768))
        self.check([values[i:i + 256] for i in range(0, len(values), 256)])

    def test_no_data_cells(self):
        self.check([[1, -9999, 3], [-9999, -9999, 6]])

    def test_one_by_one(self):
        self.check([[-7]])

    def test_one_row_of_thousands(self):
        generator = random.Random(1)
        self.check([[generator.randint(-32768, 32767) for _ in range(5000)]])

    def test_one_column_of_hundreds(self):
        generator = random.Random(2)
        self.check([[generator.randint(-500, 3999)] for _ in range(700)])

    def test_crlf_input(self):
        self.check([[1, 2, 3], [4, 5, 6], [-7, -8, -9]], line_end="\r\n")

    def test_tab_separated_input(self):
        self.check([[10, -20], [30, -40], [50, -60]], separator="\t")


class GdalAsciiGridThroughTavrix(unittest.TestCase):
    def test_values_survive_the_round_trip(self):
        generator = numpy.random.default_rng(3)
        values = generator.integers(-32768, 32768, size=(40, 60), dtype=numpy.int16)
        with tempfile.TemporaryDirectory() as directory:
            source = gdal.GetDriverByName("MEM").Create("", 60, 40, 1, gdal.GDT_Int16)
            source.SetGeoTransform((0, 1, 0, 40, 0, -1))
            source.GetRasterBand(1).WriteArray(values)
            ascii_path = os.path.join(directory, "grid.asc")
            written = gdal.Translate(ascii_path, source, format="AAIGrid")
            written = None  # closing flushes the file
            with open(ascii_path) as file:
                lines = file.read().splitlines()
            # Keep the value lines only: the header lines start with a keyword.
            body = "".join(line + "\n" for line in lines if not line[:1].isalpha())
            raster = convert(directory, body)
            dataset = gdal.Open(raster)  # held while its band is read
            read_back = dataset.GetRasterBand(1).ReadAsArray()
            self.assertTrue(numpy.array_equal(read_back, values))
            dataset = None


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
