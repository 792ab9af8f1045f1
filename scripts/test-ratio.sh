#!/usr/bin/env bash
# Non-blank lines of test code against non-blank lines of the code they test: the library
# (include/, src/), the tool (tools/) and the Python package (python/). Data files, vendored
# scripts, benchmarks and fuzz targets count on neither side.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h|hpp|py|js|html|sh)$' | grep -v -E '(^|/)(vendor|data)/' |
    xargs -r cat | grep -c -v '^[[:space:]]*$' || true
}
code=$(count include src tools python)
tests=$(count tests)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d lines, code %d lines, ratio %.2f\n", t, c, t / c }'
