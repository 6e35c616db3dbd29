#!/usr/bin/env bash
# Installs everything a fresh Debian 12 amd64 machine needs to build and test Orvanel:
# the mingw-w64 cross compilers, Wine, Xvfb, unixODBC and the SQLite ODBC
# driver, GoogleTest sources, bison, ImageMagick, widl with Wine's IDL files (the test
# automation server's type library). Idempotent: quiet when done.
# PostgreSQL and its ODBC driver: the test session starts a server of its own.
set -euo pipefail

# Both Wine loaders and both sets of ODBC/OpenGL libraries: the 32-bit ones run the
# product; the 64-bit ones run the tests on hosts that cannot execute 32-bit programs.
PKGS=(
  cmake make bison ccache
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32 libwine:i386 wine64 libwine:amd64
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386 libcups2:i386
  libgl1-mesa-dri:amd64 libglx-mesa0:amd64 libgl1:amd64 libcups2:amd64 fonts-wine
  xvfb x11-utils imagemagick
  googletest
  unixodbc:i386 libodbc2:i386 odbcinst1debian2:i386 libsqliteodbc:i386
  libodbc2:amd64 odbcinst1debian2:amd64 libsqliteodbc:amd64 sqlite3
  gcc unixodbc-dev
  libgsf-bin
  postgresql odbc-postgresql:amd64
  cups printer-driver-cups-pdf poppler-utils
  mingw-w64-tools libwine-dev:amd64
)
# PostgreSQL's ODBC driver for the 32-bit loader too, where the host runs 32-bit programs
# (elsewhere the tests run the x86_64 build, which loads the amd64 driver).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then PKGS+=(odbc-postgresql:i386); fi

need_install=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    need_install+=("$p")
  fi
done

if [ ${#need_install[@]} -gt 0 ]; then
  echo "install-deps: installing ${need_install[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${need_install[@]}" >/dev/null
fi
