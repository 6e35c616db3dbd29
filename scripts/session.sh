# Sourced: starts a private Xvfb (unless OV_KEEP_DISPLAY=1 and a DISPLAY is set) and a
# persistent wineserver, and stops both when the calling script exits.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/printer-rig.sh"

ov_session_stop() {
  ov_printer_stop
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "${OV_XVFB_PID:-}" ]; then
    kill "$OV_XVFB_PID" 2>/dev/null || true
    wait "$OV_XVFB_PID" 2>/dev/null || true
  fi
}

ov_session_start() {
  if [ "${OV_KEEP_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display itself, so parallel sessions never collide.
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fdfile" >/dev/null 2>&1 &
    OV_XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    export DISPLAY=":$(tr -dc 0-9 <"$fdfile")"
    rm -f "$fdfile"
  fi
  trap ov_session_stop EXIT
  ov_printer_start
  # A persistent wineserver makes each Wine process start in tens of milliseconds.
  "$WINESERVER" -p
  "$OV_WINE" cmd.exe /c exit >/dev/null 2>&1 || true
}
