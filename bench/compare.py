#!/usr/bin/env python3
"""Times tavrix beside the peers found on this machine, on the same generated grid.

Each command runs --runs times, the commands in turn (A B C ... A B C ...), so that a drift in
the machine's speed touches all of them alike. Each run writes fresh output files: those of
the run before are removed first, and not timed. For each: the median, fastest and slowest wall
time, the peak memory (maximum resident set size, from GNU time), and how many times tavrix's median time
the peer's median is. Every output is checked against tavrix's before anything is timed.

Then tavrix's peak memory for a small and a large input, which must be about the same.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

NUMPY_SCRIPT = (
    "import numpy, sys; "
    "numpy.loadtxt(sys.argv[1], delimiter=',', dtype='>i2').tofile(sys.argv[2])"
)


def run_once(command):
    """Runs a command; returns (wall seconds, peak resident memory in MiB).

    The peak comes from /usr/bin/time: a process started straight from this script would
    inherit this script's own high-water mark."""
    with tempfile.NamedTemporaryFile() as report:
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit(f"failed ({result.returncode}): {' '.join(command)}\n{result.stderr.decode()}")
        peak_kib = int(open(report.name).read().split()[-1])
    return wall, peak_kib / 1024.0


def generate(generator, path, rows, columns, *extra):
    with open(path, "wb") as out:
        subprocess.run([generator, str(rows), str(columns), *extra], stdout=out, check=True)


def numpy_python():
    """A Python that has numpy, if any: the Debian one first."""
    for python in ("/usr/bin/python3", sys.executable):
        if os.path.exists(python) and subprocess.run(
            [python, "-c", "import numpy"], stderr=subprocess.DEVNULL
        ).returncode == 0:
            return python
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-bench", help="build folder with tavrix and bench/")
    parser.add_argument("--rows", type=int, default=5000)
    parser.add_argument("--columns", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--work", default=None, help="folder for the grids and outputs")
    parser.add_argument("--skip-memory", action="store_true", help="skip the 1 MB / 1 GB memory check")
    args = parser.parse_args()

    tavrix = os.path.join(args.build, "tavrix")
    generator = os.path.join(args.build, "bench", "generate_grid")
    loop = os.path.join(args.build, "bench", "getc_putc_loop")
    work = args.work or tempfile.mkdtemp(prefix="tavrix-bench-")
    os.makedirs(work, exist_ok=True)
    grid = os.path.join(work, "grid.csv")
    ascii_grid = os.path.join(work, "grid.asc")
    generate(generator, grid, args.rows, args.columns)
    size_mb = os.path.getsize(grid) / 1e6
    print(f"grid: {args.rows} x {args.columns} values in -500..3999, {size_mb:.1f} MB of "
          f"comma-separated text; {args.runs} runs each, in turn; standard output to /dev/null")

    def out(name):
        return os.path.join(work, name)

    commands = {"tavrix": [tavrix, grid, out("tavrix")]}
    # What each command writes; removed before each timed run, so that no run pays for
    # freeing the space of an older output.
    outputs = {"tavrix": [out("tavrix.bil"), out("tavrix.hdr")]}
    if shutil.which("gdal_translate"):
        generate(generator, ascii_grid, args.rows, args.columns, "--separator", " ", "--aaigrid")
        commands["gdal_translate"] = ["gdal_translate", "-q", "-of", "EHdr", "-ot", "Int16",
                                      ascii_grid, out("gdal.bil")]
        outputs["gdal_translate"] = [out("gdal.bil"), out("gdal.hdr")]
    python = numpy_python()
    if python:
        commands["numpy loadtxt"] = [python, "-c", NUMPY_SCRIPT, grid, out("numpy.bil")]
        outputs["numpy loadtxt"] = [out("numpy.bil")]
    commands["getc/putc loop"] = [loop, grid, out("loop.bil")]
    outputs["getc/putc loop"] = [out("loop.bil")]
    commands["cp"] = ["cp", grid, out("copy.csv")]
    outputs["cp"] = [out("copy.csv")]

    # Check every result before timing anything.
    for command in commands.values():
        run_once(command)
    expected = open(out("tavrix.bil"), "rb").read()
    assert len(expected) == 2 * args.rows * args.columns, "tavrix wrote the wrong size"
    for name, path in (("gdal_translate", "gdal.bil"), ("numpy loadtxt", "numpy.bil"),
                       ("getc/putc loop", "loop.bil")):
        if name in commands:
            cells = open(out(path), "rb").read()
            if name == "gdal_translate":  # GDAL writes its EHdr rasters least significant byte first
                swapped = bytearray(cells)
                swapped[0::2], swapped[1::2] = cells[1::2], cells[0::2]
                cells = bytes(swapped)
            assert cells == expected, f"{name} wrote other cells"
    assert open(out("copy.csv"), "rb").read() == open(grid, "rb").read()

    walls = {name: [] for name in commands}
    peaks = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            for path in outputs[name]:
                if os.path.exists(path):
                    os.remove(path)
            os.sync()  # the removed files' space is freed now, not during the next run
            wall, peak = run_once(command)
            walls[name].append(wall)
            peaks[name].append(peak)

    ours = statistics.median(walls["tavrix"])
    print(f"{'command':<16} {'median s':>9} {'min s':>8} {'max s':>8} {'peak MiB':>9} "
          f"{'MB/s':>7} {'vs tavrix':>10}")
    for name in commands:
        median = statistics.median(walls[name])
        ratio = f"{median / ours:.2f}x" if name != "tavrix" else "-"
        print(f"{name:<16} {median:9.3f} {min(walls[name]):8.3f} {max(walls[name]):8.3f} "
              f"{max(peaks[name]):9.1f} {size_mb / median:7.0f} {ratio:>10}")
    print("'vs tavrix': the peer's median time over tavrix's (above 1: tavrix is faster)")

    if not args.skip_memory:
        print("tavrix peak memory by input size:")
        for label, rows in (("1 MB", 200), ("1 GB", 42000)):
            path = os.path.join(work, "memory.csv")
            generate(generator, path, rows, 1000 if rows == 200 else 5000)
            os.sync()
            run_once([tavrix, path, out("memory")])  # the first run after writing the grid is slow
            for written in (out("memory.bil"), out("memory.hdr")):
                os.remove(written)
            os.sync()
            wall, peak = run_once([tavrix, path, out("memory")])
            print(f"  {label:<5} ({os.path.getsize(path) / 1e6:7.1f} MB): peak {peak:5.1f} MiB, "
                  f"{wall:.3f} s")
            os.remove(path)

    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
