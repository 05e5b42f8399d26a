#!/bin/sh
# Installs the Debian packages that Mobivert needs to build, run and test.
# Does nothing when everything is already there; uses sudo when not root.
set -eu

PACKAGES="g++ cmake ninja-build make pkg-config
qt6-base-dev libqt6svg6 libmediainfo-dev mediainfo libgpod-dev libgdk-pixbuf-2.0-dev
ffmpeg libavcodec-extra libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
fonts-dejavu-core dbus-daemon
xvfb xauth imagemagick
clang libclang-rt-14-dev
dpkg-dev file help2man lintian desktop-file-utils appstream"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A stale package index makes installs fail on a fresh machine; refresh it once.
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
