#!/usr/bin/env bash
# Rewrites include/qrtzdb/qrtzdb.h from the public headers present, subsystem by subsystem in
# layer order. Run it after adding or removing a header.
set -euo pipefail
cd "$(dirname "$0")/../include"
out=qrtzdb/qrtzdb.h
{
  echo '#pragma once'
  echo '// Every public header of the library. A test keeps this list complete;'
  echo '// scripts/umbrella.sh rewrites it.'
  echo
  echo '#include "qrtzdb/Version.h"'
  for sub in platform basis model environment formats simulation clipboard; do
    [ -d "qrtzdb/$sub" ] || continue
    echo
    echo "// $sub"
    find "qrtzdb/$sub" -name '*.h' | LC_ALL=C sort | sed 's/.*/#include "&"/'
  done
} > "$out.tmp"
mv "$out.tmp" "$out"
