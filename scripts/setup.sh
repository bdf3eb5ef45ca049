#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package the build, the program and the tests need,
# on a bare Debian 12 as on a full desktop. Idempotent: returns at once when
# everything is present.
set -e
# Build tools and libraries.
BUILD="g++ make cmake pkg-config qt6-base-dev libgl-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libminizip-dev zlib1g-dev libsoxr-dev libtag1-dev libebur128-dev"
# What the program runs: the encoder programs, and the fonts a window draws with.
RUN="lame vorbis-tools flac musepack-tools opus-tools wavpack fonts-dejavu-core"
# What the tests and the fuzz scripts use besides.
TEST="libgtest-dev ffmpeg id3v2 python3-mutagen procps e2fsprogs appstream desktop-file-utils man-db clang xvfb kid3-cli"
missing=""
for p in $BUILD $RUN $TEST; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086 # the package list is words on purpose
$SUDO apt-get install -y --no-install-recommends $missing
