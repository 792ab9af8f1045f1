#!/usr/bin/env bash
# Loads the built site in headless Chromium with the network cut off: the index page and a
# reference page must load without a console message, and the search page must find a function
# of the library. The site is served from a local web server in a network namespace that has
# only its own loopback, as the search page's requests need http (file:// refuses them).
#   docs/browser_check.sh DOCS_DIR
set -euo pipefail
docs=$(cd "$1" && pwd)

# Run again inside a network namespace of our own.
if [ -z "${QRTZ_OFFLINE:-}" ]; then
  for how in "unshare -n" "unshare -rn"; do
    if $how true 2>/dev/null; then exec env QRTZ_OFFLINE=1 $how "$0" "$docs"; fi
  done
  echo "browser check: cannot cut the network off (unshare -n)" >&2
  exit 1
fi
ip link set lo up
work=$(mktemp -d)
port=8219
/usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$docs" "$port" \
  >"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do
  /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port))" \
    2>/dev/null && break
  sleep 0.1
done
site=http://127.0.0.1:$port

failed=0
# load URL NAME: the page's DOM after its scripts ran into $work/NAME.html, the browser's log
# into $work/NAME.log; a console message of the page fails the check.
load() {
  chromium --headless=new --no-sandbox --disable-gpu --no-first-run \
    --user-data-dir="$work/profile" --enable-logging=stderr --v=0 --virtual-time-budget=5000 \
    --dump-dom "$1" >"$work/$2.html" 2>"$work/$2.log"
  if grep -q 'CONSOLE' "$work/$2.log"; then
    echo "browser check: $2: console messages:" >&2
    grep 'CONSOLE' "$work/$2.log" >&2
    failed=1
  fi
}
# expect NAME TEXT WHAT: the loaded page holds TEXT.
expect() {
  if ! grep -q -- "$2" "$work/$1.html"; then
    echo "browser check: $1: $3 (no '$2')" >&2
    failed=1
  fi
}

load "$site/index.html" index
expect index 'Read and inspect a structure' 'the guide is not in the index page'
load "$site/reference/model.html" model
expect model 'GetCenterOfMass' 'the model reference lacks DbMolecule::GetCenterOfMass'
load "$site/search.html?q=ReadMoldb" search
expect search 'Search finished, found' 'the search did not finish'
expect search 'reference/formats.html' 'the search did not find ReadMoldb in the formats reference'

# Every local file a page links or loads is there.
for page in index model; do
  grep -o '\(href\|src\)="[^"#?]*' "$work/$page.html" | sed 's/^[a-z]*="//' |
    grep -v '^\(https\?:\|mailto:\|data:\|$\)' | sort -u | while read -r ref; do
      base=$docs; [ "$page" = model ] && base=$docs/reference
      [ -e "$base/$ref" ] || { echo "browser check: $page: missing $ref" >&2; exit 1; }
    done || failed=1
done

[ "$failed" = 0 ] && echo "browser check: index, reference and search pages fine offline"
exit "$failed"
