#!/usr/bin/env bash
# Runs the Basic programs of ours/ (basicrun.exe under Wine) and their twins of gambas/
# in the Gambas 3 scripter, and prints the time of each side and the ratio
# our time / Gambas time (below 1: ours is faster; the goal column is the target).
# Times are measured inside each program around the run itself, so neither side pays
# for its process start-up. The runs of both sides are interleaved and each side's best
# run counts, so that a busy machine disturbs less. The sieve's line also gives the peak
# resident memory of each process (MB).
# Then the start-up: an empty Basic program's whole basicrun.exe run against a bare
# hello.exe under the same Wine (best wall-clock time of the runs), and the same for an
# empty application started by the launcher (ovrun.exe). Last the compile of a generated
# 10,000-line file against Gambas's compiler.
# Installs gambas3-scripter with apt-get when gbs3 is missing (only here, never in tests).
# Usage: bash bench/basic/run.sh [-n RUNS] [-startup] [build dir] [program...]
# -startup measures the start-up alone.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=5
if [ "${1:-}" = -n ]; then runs=$2; shift 2; fi
startup_only=0
if [ "${1:-}" = -startup ]; then startup_only=1; shift; fi
source "$root/scripts/wine-env.sh"
build=${1:-$OV_BUILD_DIR}
[ $# -gt 0 ] && shift
runner=$build/bin/basicrun.exe
[ -f "$runner" ] || { echo "no $runner: build first (bash scripts/build.sh)"; exit 1; }
if ! command -v gbs3 >/dev/null; then
  apt-get update -qq >/dev/null && apt-get install -y -qq gambas3-scripter >/dev/null
fi
bash "$root/scripts/setup-prefix.sh" >/dev/null
source "$root/scripts/session.sh"
ov_session_start >/dev/null

programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(fib30 calls formod dblloop append midinstr sort3000
  sieve mefield ptfield plainfield field50 plainvar intloop floatloop strings fib sort)

field() { sed -n "s/^$1[: ]*//p" | tr -d '\r' | head -1; }
best() { tr ' ' '\n' | grep . | sort -n | head -1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; ov_session_stop' EXIT

printf '%-11s %9s %9s %7s %5s  %s\n' program ours_ms gb_ms ratio goal results
[ $startup_only = 0 ] || programs=()
for name in "${programs[@]}"; do
  oms= gms= omem= gmem=
  for ((run = 1; run <= runs; run++)); do
    ours=$(/usr/bin/time -f 'maxrss %M' -o "$tmp/om" "$OV_WINE" "$runner" -time \
      "$here/ours/$name.bas" Main 2>&1 || true)
    gb=$(/usr/bin/time -f 'maxrss %M' -o "$tmp/gm" gbs3 "$here/gambas/$name.gbs" 2>&1 || true)
    oms="$oms $(echo "$ours" | field elapsed_ms)"
    gms="$gms $(echo "$gb" | field elapsed_ms)"
    omem="$omem $(field maxrss <"$tmp/om")"
    gmem="$gmem $(field maxrss <"$tmp/gm")"
  done
  oms=$(echo "$oms" | best || true)
  gms=$(echo "$gms" | best || true)
  ores=$(echo "$ours" | field result)
  gres=$(echo "$gb" | field result)
  if [ -z "$oms" ] || [ -z "$gms" ]; then
    printf '%-11s failed\n--- ours:\n%s\n--- gambas:\n%s\n' "$name" "$ours" "$gb"
    continue
  fi
  ratio=$(awk -v g="$gms" -v o="$oms" 'BEGIN { if (g < 1) g = 1; printf "%.2f", o / g }')
  mem=
  if [ "$name" = sieve ]; then
    mem=$(awk -v o="$(echo "$omem" | best)" -v g="$(echo "$gmem" | best)" \
      'BEGIN { printf "  memory %d MB / %d MB", o / 1024, g / 1024 }')
  fi
  printf '%-11s %9s %9s %7s %5s  %s / %s%s\n' "$name" "$oms" "$gms" "$ratio" 0.5 "$ores" "$gres" "$mem"
done

# Start-up: an empty program against a bare hello.exe (both whole processes).
cat >"$tmp/hello.c" <<'EOF'
#include <stdio.h>
int main(void) { puts("hello"); return 0; }
EOF
cc=x86_64-w64-mingw32-gcc
[ "$OV_ARCH" = i686 ] && cc=i686-w64-mingw32-gcc
$cc -O2 -o "$tmp/hello.exe" "$tmp/hello.c"
printf 'Function Main() As Long\n  Main = 0\nEnd Function\n' >"$tmp/empty.bas"
printf 'Type Empty From Application\n  Sub Startup()\n  End Sub\nEnd Type\n' >"$tmp/empty.obo"
launcher=$build/bin/ovrun.exe
now() { date +%s%N; }
se= sh= sl=
for ((run = 1; run <= runs * 2; run++)); do
  t=$(now); "$OV_WINE" "$runner" "$tmp/empty.bas" Main >/dev/null 2>&1; se="$se $((($(now) - t) / 1000000))"
  t=$(now); "$OV_WINE" "$tmp/hello.exe" >/dev/null 2>&1; sh="$sh $((($(now) - t) / 1000000))"
  if [ -f "$launcher" ]; then
    t=$(now); (cd "$tmp" && "$OV_WINE" "$launcher" empty.obo -app Empty >/dev/null 2>&1) || true
    sl="$sl $((($(now) - t) / 1000000))"
  fi
done
se=$(echo "$se" | best)
sh=$(echo "$sh" | best)
awk -v e="$se" -v h="$sh" 'BEGIN { printf "start-up   empty program %d ms, hello.exe %d ms, ratio %.2f (goal 1.5)\n", e, h, e / h }'
if [ -n "$sl" ]; then
  sl=$(echo "$sl" | best)
  awk -v e="$sl" -v h="$sh" 'BEGIN { printf "start-up   empty application (ovrun) %d ms, hello.exe %d ms, ratio %.2f\n", e, h, e / h }'
fi
[ $startup_only = 0 ] || exit 0

# Compile: 10,000 lines of procedures (1,000 Functions of 10 lines, the same in both
# dialects). Ours: the compile alone, timed inside basicrun. Gambas: its compiler run by
# the scripter without the cache (-b -c), less the same run on a one-procedure script,
# so that neither side counts its process start.
gen() {  # gen ours|gambas count file
  awk -v side="$1" -v n="$2" 'BEGIN {
    t = side == "ours" ? "Long" : "Integer"
    for (k = 1; k <= n; k++) {
      printf "Function F%d(a As %s, b As %s) As %s\n", k, t, t, t
      printf "  Dim i As %s, s As %s\n", t, t
      printf "  s = a\n"
      printf "  For i = 1 To b\n"
      printf "    s = s + i * 2 - (a Mod 7)\n"
      printf side == "ours" ? "  Next i\n" : "  Next\n"
      printf "  If s > 100 Then s = s - 100\n"
      printf side == "ours" ? "  F%d = s\n" : "  Return s\n", k
      printf side == "ours" ? "End Function\n" : "End\n"
      printf "\n"
    }
    if (side == "ours") printf "Function Main() As Long\n  Main = F1(1, 2)\nEnd Function\n"
    else printf "Public Sub Main()\n  Print \"result \"; F1(1, 2)\nEnd\n"
  }' >"$3"
}
gen ours 1000 "$tmp/big.bas"
gen gambas 1000 "$tmp/big.gbs"
gen gambas 1 "$tmp/small.gbs"
oc= gc= gs=
for ((run = 1; run <= runs; run++)); do
  oc="$oc $("$OV_WINE" "$runner" -time "$tmp/big.bas" Main 2>&1 | field compile_ms)"
  t=$(now); gbs3 -b -c "$tmp/big.gbs" >/dev/null 2>&1; gc="$gc $((($(now) - t) / 1000000))"
  t=$(now); gbs3 -b -c "$tmp/small.gbs" >/dev/null 2>&1; gs="$gs $((($(now) - t) / 1000000))"
done
oc=$(echo "$oc" | best)
gc=$(echo "$gc" | best)
gs=$(echo "$gs" | best)
awk -v o="$oc" -v g="$gc" -v s="$gs" 'BEGIN { d = g - s; if (d < 1) d = 1;
  printf "compile    10,000 lines: ours %d ms, Gambas %d ms (%d - %d), ratio %.2f (goal 1)\n", o, d, g, s, o / d }'
