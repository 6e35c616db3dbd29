#!/bin/bash
# Lists the module files oviui2_olestore_test left with libgsf's reader (gsf list, gsf
# cat) and checks the control store's layout: "OleControlStore" with its count stream
# (revision 1 and the count, little-endian) and one storage per control, named in
# hexadecimal, the removed one gone.
set -u
dir=$1
gsf=${2:-gsf}
fail=0
# The 8 bytes of the count stream of file as hex pairs.
count_bytes() { "$gsf" cat "$1" OleControlStore/NumberOfOleControls | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }
check() {  # file, expected count bytes, storages that must be there, storages that must not
  local file=$dir/$1 want=$2 present=$3 absent=$4
  [ -f "$file" ] || { echo "FAIL: no compound file at $file"; fail=1; return; }
  local out
  out=$("$gsf" list "$file" 2>&1) || { echo "FAIL: gsf refused $file: $out"; fail=1; return; }
  echo "== $1"; echo "$out"
  grep -qE "OleControlStore/NumberOfOleControls\b" <<<"$out" || { echo "FAIL: $1 has no count stream"; fail=1; }
  local got
  got=$(count_bytes "$file")
  [ "$got" = "$want" ] || { echo "FAIL: $1 count stream is '$got', not '$want'"; fail=1; }
  for s in $present; do
    grep -qE "OleControlStore/$s/?\$" <<<"$out" || { echo "FAIL: $1 has no storage $s"; fail=1; }
  done
  for s in $absent; do
    if grep -qE "OleControlStore/$s/?\$" <<<"$out"; then echo "FAIL: $1 still has storage $s"; fail=1; fi
  done
}
check new.ovm "01 00 00 00 01 00 00 00" "1" "2"
check numbers.ovm "01 00 00 00 10 00 00 00" "1 3 4 5 10" "2 16"
exit $fail
