#!/usr/bin/env bash
# The README's main job: run qrtz over the bundled examples.
set -euo pipefail
qrtz=${1:-build/tools/qrtz/qrtz}
"$qrtz" --version
