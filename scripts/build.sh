#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds a tree: scripts/build.sh [BUILD_DIR] [cmake options...] [-- targets...]
# A tree whose configure failed (no build system was generated) is
# configured again; options after the folder apply only to a new configure.
set -e
cd "$(dirname "$0")/.."
dir=${1:-build}
[ $# -gt 0 ] && shift
options=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options="$options $1"
  shift
done
[ "$1" = "--" ] && shift
if [ ! -f "$dir/Makefile" ]; then
  # shellcheck disable=SC2086 # the options are words on purpose
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo $options
fi
targets=""
for target in "$@"; do
  targets="$targets --target $target"
done
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" $targets
