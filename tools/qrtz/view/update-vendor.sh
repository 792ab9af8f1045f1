#!/usr/bin/env bash
# Copies the pinned versions of package.json from npm into vendor/, with their licences.
# Run it after changing a version there: cd tools/qrtz/view && ./update-vendor.sh
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp package.json "$work/"
(cd "$work" && npm install --no-audit --no-fund --ignore-scripts --omit=dev >/dev/null)
m="$work/node_modules"
cp "$m/3dmol/build/3Dmol-min.js" vendor/3Dmol-min.js
cp "$m/3dmol/LICENSE" vendor/LICENSE.3dmol
cp "$m/uplot/dist/uPlot.iife.min.js" vendor/uPlot.iife.min.js
cp "$m/uplot/dist/uPlot.min.css" vendor/uPlot.min.css
cp "$m/uplot/LICENSE" vendor/LICENSE.uplot
echo "vendor/: 3dmol $(node -p "require('$m/3dmol/package.json').version"), uplot $(node -p "require('$m/uplot/package.json').version")"
