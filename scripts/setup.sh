#!/bin/sh
# Installs the Debian 12 packages Kelvara needs to build, test and run (as root, or through sudo).
set -eu
packages="build-essential cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev libgcrypt20-dev libcpp-httplib-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n qt6-l10n-tools libgl-dev fonts-dejavu-core
  xvfb xauth openbox xdotool x11-utils imagemagick python3 openssl time g++-mingw-w64-x86-64-posix
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libglib2.0-bin man-db
  at-spi2-core dbus python3-pyatspi
  bash-completion wine wine64 nsis libsodium-dev minisign pkgconf"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq $missing
