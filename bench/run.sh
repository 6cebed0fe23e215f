#!/usr/bin/env bash
# Builds tavrix and the benchmark tools in release mode, then compares tavrix with the peers
# found on this machine (gdal_translate from gdal-bin, numpy from python3-numpy, the getc/putc
# loop in bench/, cp). Arguments go to bench/compare.py (--rows, --columns, --runs, ...).
# Afterwards the scanner alone: build-bench/bench/scanner_benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTAVRIX_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
python3 bench/compare.py --build build-bench "$@"
