#!/bin/sh
# Installs the Debian packages the build, the demo and the tests need,
# only those that are missing. Needs root (or sudo) on Debian 12.
set -e

want="cmake make g++ pkg-config zip
g++-mingw-w64-i686 binutils-mingw-w64-i686
g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
libgtest-dev libgmock-dev libbenchmark-dev
python3 python3-pytest python3-liblnk python3-pefile
clang libclang-rt-14-dev valgrind
wine wine32:i386 libcups2:i386 wine64 libcups2
xvfb xdotool x11-utils imagemagick fonts-wine
cups cups-client cups-daemon printer-driver-cups-pdf poppler-utils ghostscript"

missing=""
for p in $want; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "Installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
