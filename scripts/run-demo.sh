#!/usr/bin/env bash
# Installs and builds everything, then runs the demonstration application
# samples/hello.obo with the launcher under Wine and the session's Xvfb:
#   ovrun hello.obo -app Hello
# and prints the file the application wrote and the launcher's exit code. It runs on a
# copy in the build tree, because the launcher saves changed modules when it ends.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$here/install-deps.sh"
bash "$here/build.sh"
bash "$here/setup-prefix.sh"
source "$here/session.sh"
ov_session_start
demo=$OV_BUILD_DIR/demo
rm -rf "$demo"
mkdir -p "$demo"
cp "$OV_ROOT/samples/hello.obo" "$demo/"
cd "$demo"
set +e
"$OV_WINE" "$OV_BUILD_DIR/bin/ovrun.exe" hello.obo -app Hello
code=$?
set -e
echo "--- hello.txt"
if [ -f hello.txt ]; then tr -d '\r' <hello.txt; else echo "(not written)"; fi
echo "--- exit code: $code"
