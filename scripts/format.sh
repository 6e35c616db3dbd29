#!/usr/bin/env bash
# Formats every C and C++ source and header of ours with clang-format and the tree's
# .clang-format. Generated files (the grammar's tables are made in the build tree) and
# build trees are left out. `--check` changes nothing: it lists the files that would
# change and exits non-zero when there is one. Extra arguments name the files to take
# instead of the whole tree.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
command -v clang-format >/dev/null || { echo "format: clang-format not found" >&2; exit 2; }
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h' '*.hpp' ':!:build-*' |
                       grep -v -E '(^|/)build-[^/]*/|\.tab\.(c|cpp|h)$|_expected\.cpp$')
fi
if [ $check = 0 ]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
changed=0
for f in "${files[@]}"; do
  if ! clang-format --style=file "$f" | cmp -s - "$f"; then
    echo "$f"
    changed=1
  fi
done
if [ $changed = 1 ]; then echo "format: the files above are not formatted" >&2; fi
exit $changed
