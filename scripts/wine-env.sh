# Sourced by the other scripts: target architecture, build tree and the environment of
# the project's Wine prefix.
#
# OV_ARCH: i686 builds the product's 32-bit binaries and runs them with Wine's 32-bit
# loader. Some hosts cannot execute 32-bit Linux programs at all (and so no 32-bit
# Wine); there the tests run on x86_64 builds of the same sources under Wine's 64-bit
# loader. Left unset, it is chosen by asking the 32-bit loader for its version.
# OV_BUILD_DIR (default build-$OV_ARCH) holds the prefix, the ODBC configuration and the
# test database, so separate build trees never share a wineserver.
OV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export OV_ROOT
if [ -z "${OV_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then OV_ARCH=i686; else OV_ARCH=x86_64; fi
fi
export OV_ARCH
export OV_BUILD_DIR=${OV_BUILD_DIR:-$OV_ROOT/build-$OV_ARCH}
export WINEPREFIX=${OV_WINEPREFIX:-$OV_BUILD_DIR/wineprefix}
if [ "${OV_LANE32:-0}" = 1 ]; then
  # Inside the 32-bit lane's chroot (scripts/lane32.sh): 32-bit programs in a win64
  # prefix, started by the 64-bit loader, which hands them to the emulated 32-bit one;
  # they load the i386 ODBC driver.
  export WINEPREFIX=${OV_WINEPREFIX:-$OV_BUILD_DIR/wineprefix-lane32}
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 OV_LIBDIR=/usr/lib/i386-linux-gnu
elif [ "$OV_ARCH" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 OV_LIBDIR=/usr/lib/x86_64-linux-gnu
else
  export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine OV_LIBDIR=/usr/lib/i386-linux-gnu
fi
OV_WINE=$WINELOADER
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
# unixODBC (reached through Wine's odbc32) reads its driver and DSN lists from here.
export ODBCSYSINI=$OV_BUILD_DIR/odbc
if [ "${OV_LANE32:-0}" = 1 ]; then ODBCSYSINI=$OV_BUILD_DIR/odbc-lane32; fi
export ODBCINI=$ODBCSYSINI/odbc.ini
