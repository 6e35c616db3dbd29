# Sourced by session.sh: a private CUPS daemon with one PDF queue, so that Wine sees a
# real printer. Everything lives in $OV_BUILD_DIR/cups: the daemon's configuration, its
# socket, spool and logs, and the PDF files the queue writes (OV_PDF_DIR). Programs find
# the daemon through CUPS_SERVER (its socket), so parallel sessions and a system CUPS
# never meet. Wine drops its printers while no daemon answers: the tests that need one
# fail clearly then, they never wait for it.
#
# The queue is "PDF" (cups-pdf backend, A4 at 300 dpi). cups-pdf reads the instance's
# configuration /etc/cups/cups-pdf-<instance>.conf; the instance is named after the build
# tree so that each tree's files land in its own directory.

ov_printer_stop() {
  if [ -n "${OV_CUPSD_PID:-}" ]; then
    kill "$OV_CUPSD_PID" 2>/dev/null || true
    wait "$OV_CUPSD_PID" 2>/dev/null || true
    OV_CUPSD_PID=
  fi
}

ov_printer_start() {
  local root="$OV_BUILD_DIR/cups"
  # The 32-bit lane's chroot has no CUPS; its tests print nothing.
  [ "${OV_LANE32:-0}" = 1 ] && return 0
  if ! [ -x /usr/sbin/cupsd ] || ! [ -x /usr/lib/cups/backend/cups-pdf ]; then
    echo "printer-rig: cups or printer-driver-cups-pdf missing: printing tests will fail" >&2
    return 0
  fi
  mkdir -p "$root"/{spool,cache,state,log,ppd,pdf,tmp}
  rm -f "$root/printers.conf" "$root/cups.sock" "$root"/ppd/*
  # The backend and filters run as lp: they must reach the spool and the output.
  chmod 0755 "$root" "$root/pdf"
  chmod 1777 "$root/tmp"
  export OV_PDF_DIR="$root/pdf"
  export CUPS_SERVER="$root/cups.sock"
  local instance
  instance="ov$(printf %s "$OV_BUILD_DIR" | md5sum | cut -c1-8)"
  cat >"$root/cups-files.conf" <<EOF
SystemGroup root lpadmin
ServerRoot $root
RequestRoot $root/spool
CacheDir $root/cache
StateDir $root/state
TempDir $root/tmp
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
EOF
  cat >"$root/cupsd.conf" <<EOF
LogLevel warn
Listen $root/cups.sock
Browsing No
WebInterface No
DefaultAuthType Basic
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"/etc/cups/cups-pdf-$instance.conf" <<EOF
Out $root/pdf
AnonDirName $root/pdf
Label 0
Grp lpadmin
DecodeHexStrings 1
EOF
  /usr/sbin/cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" >"$root/log/cupsd.out" 2>&1 &
  OV_CUPSD_PID=$!
  for _ in $(seq 100); do [ -S "$root/cups.sock" ] && break; sleep 0.1; done
  if ! [ -S "$root/cups.sock" ]; then
    echo "printer-rig: cupsd did not start (see $root/log)" >&2
    ov_printer_stop
    return 0
  fi
  # The queue is made afresh on every run.
  lpadmin -h "$CUPS_SERVER" -p PDF -v "cups-pdf:/$instance" -E -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd &&
    lpadmin -h "$CUPS_SERVER" -d PDF ||
    echo "printer-rig: the PDF queue could not be made" >&2
}
