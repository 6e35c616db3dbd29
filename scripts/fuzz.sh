#!/usr/bin/env bash
# A longer fuzz run by hand: the Basic-source, module-file and text-object-file fuzz tests at SCALE times
# the suite's cases (default 20), with SEED (default: the time). A failure prints the
# input that did it. Usage: scripts/fuzz.sh [SCALE [SEED]]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
bash "$here/build.sh"
bash "$here/setup-prefix.sh"
source "$here/session.sh"
ov_session_start
export OV_FUZZ_SCALE=${1:-20}
export OV_FUZZ_SEED=${2:-$(date +%s)}
echo "fuzz: scale $OV_FUZZ_SCALE, seed $OV_FUZZ_SEED"
status=0
for t in parser_fuzz_test ovstore_modulefile_fuzz_test; do
  "$here/wine-run.sh" "$OV_BUILD_DIR/bin/$t.exe" --gtest_brief=1 || status=1
done
"$here/wine-run.sh" "$OV_BUILD_DIR/bin/parser_textobj_test.exe" --gtest_brief=1 --gtest_filter='*Fuzz*' || status=1
exit $status
