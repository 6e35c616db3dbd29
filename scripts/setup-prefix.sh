#!/usr/bin/env bash
# Creates the project's Wine prefix once, applies its settings, and the ODBC driver entry and the test
# DSNs "OrvanelTest" and "OrvanelFiles" over SQLite databases in the build tree, and
# "OrvanelFake" over the scripted test driver (dbsql/tests/fakedriver), built here with the
# host's C compiler when its headers are there. Idempotent.
# "OrvanelPostgres" names the PostgreSQL server that scripts/session.sh starts.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup-prefix: creating Wine prefix $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$OV_WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
fi

# Settings of the prefix, applied once per version of this list.
stamp="$WINEPREFIX/.orvanel-settings-3"
if [ ! -f "$stamp" ]; then
  reg() { "$OV_WINE" reg "$@" >/dev/null 2>&1 || true; }
  # A crashing test must end, not wait in the debugger for a person.
  reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f
  reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # Xvfb runs no window manager: unmanaged windows spare the 2 s wait Wine makes for a
  # manager to acknowledge each hidden or destroyed top-level window.
  reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # Newer Wine's odbc32 lists a unixODBC DSN only when the registry maps it to its driver.
  reg add 'HKCU\Software\ODBC\ODBC.INI\ODBC Data Sources' /v OrvanelTest /d SQLite3 /f
  reg add 'HKCU\Software\ODBC\ODBC.INI\ODBC Data Sources' /v OrvanelFiles /d 'Orvanel Files (*.ovd,*.ovx;*.ovz)' /f
  "$WINESERVER" -w
  touch "$stamp"
fi

# The PostgreSQL data source in the prefix's list, applied once.
stamp_pg="$WINEPREFIX/.orvanel-settings-postgres-1"
if [ ! -f "$stamp_pg" ]; then
  "$OV_WINE" reg add 'HKCU\Software\ODBC\ODBC.INI\ODBC Data Sources' /v OrvanelPostgres \
    /d 'PostgreSQL Unicode' /f >/dev/null 2>&1 || true
  "$WINESERVER" -w
  touch "$stamp_pg"
fi

driver=$OV_LIBDIR/odbc/libsqlite3odbc.so
# PostgreSQL's driver; the data source "OrvanelPostgres" reaches the server that the test
# session (scripts/session.sh) starts on a Unix socket in $OV_BUILD_DIR/pg.
pg_driver=$OV_LIBDIR/odbc/psqlodbcw.so
# The driver manager reports a data source's driver name as its description: the
# second entry's name carries the file pattern that marks a file driver.
files_driver='Orvanel Files (*.ovd,*.ovx;*.ovz)'
mkdir -p "$ODBCSYSINI"
# The scripted test driver: a native shared object of the host (the driver manager loads
# drivers as such), rebuilt when its source is newer. Hosts without a C compiler or
# unixODBC's headers (the 32-bit lane's chroot) go without it; its tests then skip.
fake_src=$OV_ROOT/dbsql/tests/fakedriver/fakedriver.c
fake_so=$ODBCSYSINI/libovfakeodbc.so
if [ "${OV_LANE32:-0}" != 1 ] && command -v cc >/dev/null && [ -f /usr/include/sql.h ] &&
   { [ ! -f "$fake_so" ] || [ "$fake_src" -nt "$fake_so" ]; }; then
  cc -shared -fPIC -O1 -Wall -o "$fake_so.tmp" "$fake_src" -lodbcinst && mv "$fake_so.tmp" "$fake_so"
fi
mkdir -p "$ODBCSYSINI/fake"
cat > "$ODBCSYSINI/odbcinst.ini" <<EOT
[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$driver
Setup=$driver
UsageCount=1

[$files_driver]
Description=SQLite3 ODBC Driver over Orvanel data files
Driver=$driver
Setup=$driver
UsageCount=1

[Orvanel Fake]
Description=Orvanel scripted test driver
Driver=$fake_so
UsageCount=1

[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$pg_driver
UsageCount=1
EOT
cat > "$ODBCSYSINI/odbc.ini" <<EOT
[OrvanelTest]
Description=Orvanel test database
Driver=SQLite3
Database=$ODBCSYSINI/test.db

[OrvanelFiles]
Description=Orvanel data files (*.ovd,*.ovx;*.ovz)
Driver=$files_driver
Database=$ODBCSYSINI/files.ovd

[OrvanelFake]
Description=Orvanel scripted test driver
Driver=Orvanel Fake
Log=$ODBCSYSINI/fake/OrvanelFake.log

[OrvanelPostgres]
Description=Orvanel PostgreSQL test database
Driver=PostgreSQL Unicode
Servername=$OV_BUILD_DIR/pg
Port=${OV_POSTGRES_PORT:-5432}
Database=orvanel_test
Username=postgres
EOT
# test.db: the table rig of the platform test and the database track's fixture.
fixture=$OV_ROOT/dbsql/tests/fixture.sql
rm -f "$ODBCSYSINI/test.db" "$ODBCSYSINI/files.ovd"
sqlite3 "$ODBCSYSINI/test.db" \
  "CREATE TABLE rig(id INTEGER PRIMARY KEY, name TEXT); INSERT INTO rig VALUES(1,'hello');"
sqlite3 "$ODBCSYSINI/test.db" < "$fixture"
sqlite3 "$ODBCSYSINI/files.ovd" < "$fixture"
