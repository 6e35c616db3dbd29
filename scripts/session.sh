# Sourced: starts a private Xvfb (unless OV_KEEP_DISPLAY=1 and a DISPLAY is set) and a
# persistent wineserver, and stops both when the calling script exits.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

ov_session_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "${OV_XVFB_PID:-}" ]; then
    kill "$OV_XVFB_PID" 2>/dev/null || true
    wait "$OV_XVFB_PID" 2>/dev/null || true
  fi
}

ov_session_start() {
  if [ "${OV_KEEP_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    OV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  trap ov_session_stop EXIT
  # A persistent wineserver makes each Wine process start in tens of milliseconds.
  "$WINESERVER" -p
  "$OV_WINE" cmd.exe /c exit >/dev/null 2>&1 || true
}
