#!/usr/bin/env bash
# Saves a PNG of the X display named by DISPLAY: scripts/screenshot.sh out.png
set -euo pipefail
/usr/bin/import -window root "${1:-screenshot.png}"
