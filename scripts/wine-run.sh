#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix (CTest's emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$OV_WINE" "$@"
