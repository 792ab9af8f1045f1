#!/usr/bin/env bash
# Makes sure the Debian packages of the given groups (scripts/packages.txt) are installed:
#   scripts/setup.sh build test
# Installs what is missing with apt-get as root, through `sudo -n` where that works, and
# otherwise stops naming the apt-get line to run. With QRTZ_NO_INSTALL=1 it only warns, for
# machines where the user manages packages. When nothing is missing it does no package work.
set -euo pipefail
list="$(dirname "$0")/packages.txt"
[ $# -gt 0 ] || set -- build

wanted=()
while read -r package groups; do
  case "$package" in ''|'#'*) continue ;; esac
  for g in "$@"; do
    case ",$groups," in *",$g,"*) wanted+=("$package"); break ;; esac
  done
done <"$list"
[ ${#wanted[@]} -gt 0 ] || exit 0

# One dpkg-query for the lot: a package counts as present only when fully installed.
declare -A present=()
while read -r package status; do
  [ "$status" = "ii" ] && present[$package]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${wanted[@]}" 2>/dev/null || true)
missing=()
for p in "${wanted[@]}"; do
  [ -n "${present[$p]:-}" ] || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "${QRTZ_NO_INSTALL:-}" = 1 ]; then
  echo "setup: QRTZ_NO_INSTALL=1, not installing the missing packages: ${missing[*]}" >&2
  exit 0
fi
if [ "$(id -u)" = 0 ]; then
  run=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  run=(sudo -n)
else
  echo "setup: missing Debian packages: ${missing[*]}" >&2
  echo "setup: install them as root with:  apt-get update && $line" >&2
  echo "setup: (or set QRTZ_NO_INSTALL=1 to build with what you have)" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
# apt's progress goes to a log that is shown only when something fails; another apt run
# (an unattended upgrade, a second checkout's set-up) is waited for, not failed on.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${run[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq &&
       "${run[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "setup: installing failed; the line was:  $line" >&2
  exit 1
fi
