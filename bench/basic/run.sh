#!/usr/bin/env bash
# Runs the five Basic programs in our dialect (basicrun.exe under Wine) and the same
# five in the Gambas 3 scripter, and prints the time of each and the ratio
# Gambas time / our time (above 1: ours is faster). Times are measured inside each
# program around the run itself, so neither side pays for its process start-up; each
# side's best of three runs counts.
# Installs gambas3-scripter with apt-get when gbs3 is missing (only here, never in tests).
# Usage: bash bench/basic/run.sh [build dir]   (default: build-$OV_ARCH of the tree)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/scripts/wine-env.sh"
build=${1:-$OV_BUILD_DIR}
runner=$build/bin/basicrun.exe
[ -f "$runner" ] || { echo "no $runner: build first (bash scripts/build.sh)"; exit 1; }
if ! command -v gbs3 >/dev/null; then
  apt-get update -qq >/dev/null && apt-get install -y -qq gambas3-scripter >/dev/null
fi
bash "$root/scripts/setup-prefix.sh" >/dev/null
source "$root/scripts/session.sh"
ov_session_start >/dev/null

field() { sed -n "s/^$1[: ]*//p" | tr -d '\r' | head -1; }

printf '%-10s %12s %12s %10s  %s\n' program ours_ms gambas_ms ratio results
# The best of three runs of each side, so that a busy machine disturbs less.
best() { sort -n | head -1; }
for name in intloop floatloop strings fib sort; do
  oms= gms=
  for run in 1 2 3; do
    ours=$("$OV_WINE" "$runner" -time "$here/ours/$name.bas" Main 2>&1)
    gb=$(gbs3 "$here/gambas/$name.gbs" 2>&1)
    oms="$oms $(echo "$ours" | field elapsed_ms)"
    gms="$gms $(echo "$gb" | field elapsed_ms)"
  done
  oms=$(echo $oms | tr ' ' '\n' | grep . | best || true)
  gms=$(echo $gms | tr ' ' '\n' | grep . | best || true)
  ores=$(echo "$ours" | field result)
  gres=$(echo "$gb" | field result)
  if [ -z "$oms" ] || [ -z "$gms" ]; then
    printf '%-10s failed\n--- ours:\n%s\n--- gambas:\n%s\n' "$name" "$ours" "$gb"
    continue
  fi
  ratio=$(awk -v g="$gms" -v o="$oms" 'BEGIN { if (o < 1) o = 1; printf "%.2f", g / o }')
  printf '%-10s %12s %12s %10s  %s / %s\n' "$name" "$oms" "$gms" "$ratio" "$ores" "$gres"
done
