#!/usr/bin/env bash
# Installs and builds everything, then runs the system's demonstration.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$here/install-deps.sh"
bash "$here/build.sh"
bash "$here/setup-prefix.sh"
source "$here/session.sh"
ov_session_start
"$OV_WINE" "$OV_BUILD_DIR/bin/ovutildemo.exe"
