#!/bin/bash
# Reads the images ovutil_pefile_test stamped with the cross binutils' objdump and checks
# the ".orvanel" section's address, file offset and the section count against what the
# test expected (one "<image>.expect" file per image: VMA, file offset, section count).
set -u
dir=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
shopt -s nullglob
expects=("$dir"/*.expect)
if [ ${#expects[@]} -eq 0 ]; then
  echo "no stamped images in $dir"
  exit 1
fi
fail=0
for e in "${expects[@]}"; do
  image=${e%.expect}
  read -r vma off count < <(tr -d "\r" < "$e")
  if ! out=$("$objdump" -h "$image" 2>&1); then
    echo "FAIL $image: objdump refused it: $out"
    fail=1
    continue
  fi
  line=$(grep -E '^ +[0-9]+ \.orvanel ' <<<"$out")
  got_count=$(grep -cE '^ +[0-9]+ ' <<<"$out")
  read -r _ _ size got_vma _ got_off _ <<<"$line"
  want_vma=$(printf '%x' $((16#$vma)))
  if [ -z "$line" ] || [ "$((16#$size))" != 4096 ] || [ "$(printf '%x' $((16#$got_vma)))" != "$want_vma" ] ||
     [ "$((16#$got_off))" != "$((16#$off))" ] || [ "$got_count" != "$count" ]; then
    echo "FAIL $image: want vma $vma offset $off sections $count; objdump says:"
    echo "$out"
    fail=1
  else
    echo "ok   $image: .orvanel at $got_vma, file offset $got_off, $got_count sections"
  fi
done
exit $fail
