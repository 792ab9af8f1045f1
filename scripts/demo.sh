#!/usr/bin/env bash
# The README's main job: qrtz over the bundled examples. Outputs go to build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
qrtz=${1:-build/tools/qrtz/qrtz}
out=build/demo
mkdir -p "$out"
run() { echo "\$ qrtz $*"; "$qrtz" "$@"; echo; }

run --version
run info examples/water.mol examples/benzene.mol
run zmat examples/benzene.mol
run info examples/argon.mcr examples/mixture.mcr
run convert examples/mixture.mcr "$out/mixture.bdl"
run build fcc --molecule examples/benzene.mol -n 2 --random-orientation --seed 1 -o "$out/benzene-fcc.mcr"
run supercell examples/mixture.mcr 2 2 2 -o "$out/mixture-2x2x2.mcr"
run info --json "$out/mixture-2x2x2.mcr"
