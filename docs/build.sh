#!/usr/bin/env bash
# Builds the documentation site: the C++ reference through Doxygen's XML, then the Sphinx site.
#   docs/build.sh BUILD_DIR OUT_DIR
# Warnings of either tool fail the build. BUILD_DIR is the CMake build tree (the Python
# package's module is taken from there when it is built); OUT_DIR receives the HTML.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
out=$2
work=$build/docs-work

rm -rf "$work" && mkdir -p "$work/xml"
sed -e "s,@SOURCE@,$src,g" -e "s,@OUTPUT@,$work,g" "$src/docs/Doxyfile.in" >"$work/Doxyfile"
# Doxygen stops at the end, not at the first warning; its own exit status says whether any came.
doxygen "$work/Doxyfile"

# Sphinx reads a copy, with one reference page per subsystem written from the headers present.
cp -r "$src/docs/site" "$work/site"
/usr/bin/python3 "$src/docs/reference_pages.py" "$work/xml" "$work/site/reference"
/usr/bin/python3 "$src/docs/cli_page.py" "$build/tools/qrtz/qrtz" "$work/site/cli.rst"
export QRTZ_DOXYGEN_XML=$work/xml QRTZ_SOURCE_DIR=$src QRTZ_BUILD_DIR=$build
/usr/bin/python3 -m sphinx -W --keep-going -q -b html -d "$work/doctrees" "$work/site" "$out"
echo "docs: $out/index.html"
