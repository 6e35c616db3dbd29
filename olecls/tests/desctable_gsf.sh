#!/bin/bash
# Lists the compound file ovole_desctable_test left with libgsf's reader (gsf list) and
# checks that the table's sub-storage holds its two streams with the sizes the table
# stored, and no "temporary" stream left over from a full write.
set -u
dir=$1
gsf=${2:-gsf}
file=$dir/reopened.ole
[ -f "$file" ] || { echo "no compound file at $file"; exit 1; }
out=$("$gsf" list "$file" 2>&1) || { echo "gsf refused $file: $out"; exit 1; }
echo "$out"
fail=0
for name in "Table/Description table" "Table/Items"; do
  grep -qF "$name" <<<"$out" || { echo "FAIL: no $name"; fail=1; }
done
if grep -qF "temporary" <<<"$out"; then echo "FAIL: a temporary stream was left"; fail=1; fi
# 20 header bytes and 96 descriptions of 13 bytes.
grep -E "Description table" <<<"$out" | grep -qw "$((20 + 96 * 13))" || {
  echo "FAIL: the description table is not $((20 + 96 * 13)) bytes"
  fail=1
}
exit $fail
