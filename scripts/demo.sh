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
run sim info examples/water-argon.sim
run sim thermo examples/water-argon.sim
run sim frame examples/water-argon.sim 20 --wrap xyz -o "$out/water-argon-20.mcr"
run sim traj examples/water-argon.sim --first 0 --last 20 --count 5 --wrap xyz -o "$out/water-argon-paths.csv"
run sim plot examples/water-argon.sim -o "$out/water-argon-thermo.svg"
export QRTZ_CLIPBOARD="$PWD/$out/clipboard"
run clip copy --offset 1 2 3 examples/benzene.mol
run clip list
run clip paste --from mdl "$out/benzene-pasted.sdf"

# A page for each bundled example: open them in a browser, no network needed.
for example in examples/*; do
  name=$(basename "$example")
  run view "$example" -o "$out/${name%.*}.html"
done
run view "$out/mixture-2x2x2.mcr" -o "$out/mixture-2x2x2.html"
cat tests/data/ob-*.sdf > "$out/ob-molecules.sdf"  # several records: the page offers a picker
run view "$out/ob-molecules.sdf" -o "$out/ob-molecules.html"
echo "pages: $(ls "$out"/*.html | tr '\n' ' ')"
