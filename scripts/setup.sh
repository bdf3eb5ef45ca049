#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package the build, the program and the tests need.
# Idempotent: returns at once when everything is present.
set -e
PACKAGES="g++ cmake pkg-config qt6-base-dev libgl-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libminizip-dev zlib1g-dev libsoxr-dev libtag1-dev lame vorbis-tools flac musepack-tools ffmpeg id3v2 python3-mutagen clang xvfb"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends $missing
