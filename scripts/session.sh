# Sourced: starts a private Xvfb (unless OV_KEEP_DISPLAY=1 and a DISPLAY is set) and a
# persistent wineserver, and stops both when the calling script exits.
# It also starts the PostgreSQL server of the tests (ov_postgres_start) and stops it too.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/printer-rig.sh"

# The PostgreSQL server of the test data source "OrvanelPostgres" (registered by
# setup-prefix.sh): a cluster in the build tree ($OV_BUILD_DIR/pg/data) listening only on
# a Unix socket in $OV_BUILD_DIR/pg, with a fresh test database "orvanel_test" loaded
# from dbsql/tests/pgfixture.sql at every start. The server refuses to run as root, so
# as root initdb and the server run as the unprivileged user "postgres", which owns the
# folder. Where the server's programs or the driver are missing (the 32-bit lane's
# chroot) nothing is started; OV_POSTGRES (the socket folder) is exported only when the
# server runs, and the tests that need it skip without it. The data are throwaway:
# nothing is synced to disk.
ov_postgres_start() {
  local bin dir=$OV_BUILD_DIR/pg port=${OV_POSTGRES_PORT:-5432}
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1) || true
  if [ -z "$bin" ] || [ ! -x "$bin/postgres" ] || [ ! -f "$OV_LIBDIR/odbc/psqlodbcw.so" ]; then
    return 0
  fi
  local data=$dir/data as=()
  mkdir -p "$dir"
  if [ "$(id -u)" = 0 ]; then
    as=(runuser -u postgres --)
    chown postgres: "$dir"
  fi
  # A server of this tree left by a session that could not stop it (only when the
  # process of that id really is the server of this data folder).
  if [ -f "$data/postmaster.pid" ]; then
    OV_POSTGRES_PID=$(head -1 "$data/postmaster.pid")
    if tr '\0' ' ' <"/proc/$OV_POSTGRES_PID/cmdline" 2>/dev/null | grep -qF -- "-D $data"; then
      ov_postgres_stop
    fi
    unset OV_POSTGRES_PID
  fi
  if [ ! -f "$data/PG_VERSION" ] &&
     ! "${as[@]}" "$bin/initdb" -D "$data" -U postgres -A trust -E UTF8 --locale=C --no-sync \
       >"$dir/initdb.log" 2>&1; then
    echo "session: initdb failed; the PostgreSQL tests will skip (log: $dir/initdb.log)"
    return 0
  fi
  if ! "${as[@]}" "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
       -o "-c listen_addresses='' -c fsync=off -k '$dir' -p $port" start >/dev/null 2>&1; then
    tail -5 "$dir/server.log" 2>/dev/null || true
    echo "session: the PostgreSQL server did not start; its tests will skip (log: $dir/server.log)"
    return 0
  fi
  OV_POSTGRES_PID=$(head -1 "$data/postmaster.pid")
  local psql=("$bin/psql" -h "$dir" -p "$port" -U postgres -qAt -v ON_ERROR_STOP=1)
  if ! { "${psql[@]}" -d postgres -c "DROP DATABASE IF EXISTS orvanel_test" \
           -c "CREATE DATABASE orvanel_test" &&
         "${psql[@]}" -d orvanel_test -f "$OV_ROOT/dbsql/tests/pgfixture.sql"; } >"$dir/fixture.log" 2>&1; then
    cat "$dir/fixture.log"
    echo "session: the PostgreSQL test database could not be made; its tests will skip"
    ov_postgres_stop
    return 0
  fi
  export OV_POSTGRES=$dir
}

# Stops the server by its process id (a fast shutdown; killed after 10 s).
ov_postgres_stop() {
  [ -n "${OV_POSTGRES_PID:-}" ] || return 0
  kill -INT "$OV_POSTGRES_PID" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$OV_POSTGRES_PID" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$OV_POSTGRES_PID" 2>/dev/null; then kill -KILL "$OV_POSTGRES_PID" 2>/dev/null || true; fi
  unset OV_POSTGRES_PID OV_POSTGRES
}

ov_session_stop() {
  ov_postgres_stop
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
  # Ended by a signal, the script still runs its exit trap.
  trap 'exit 130' INT
  trap 'exit 143' TERM
  ov_printer_start
  # A persistent wineserver makes each Wine process start in tens of milliseconds.
  "$WINESERVER" -p
  "$OV_WINE" cmd.exe /c exit >/dev/null 2>&1 || true
  ov_postgres_start
}
