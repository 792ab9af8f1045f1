#!/usr/bin/env bash
# Runs every benchmark program of a benchmark build, one after the other.
set -euo pipefail
build=${1:-build-bench}
for b in "$build"/bench/qrtz_bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
# The Python package against plain C++ loops, when the benchmark build has it.
if [ -d "$build/python/qrtzdb" ]; then
  echo "== python_bench.py"
  PYTHONPATH="$build/python" /usr/bin/python3 "$(dirname "$0")/../bench/python_bench.py" "$build"
fi
