#!/usr/bin/env bash
# A developer's quick loop: builds only the test architecture (x86_64 unless OV_ARCH says
# otherwise), prepares the prefix and runs the tests that match under a private Xvfb.
# Arguments go to ctest, e.g. `bash scripts/dev-test.sh -R parser_`. It installs nothing
# and skips the 32-bit product: run scripts/test.sh before a submission.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export OV_ARCH=${OV_ARCH:-x86_64}
source "$here/wine-env.sh"
bash "$here/build.sh"
bash "$here/setup-prefix.sh"
source "$here/session.sh"
ov_session_start
ctest --test-dir "$OV_BUILD_DIR" --output-on-failure -j"$(nproc)" "$@"
