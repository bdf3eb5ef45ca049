#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures (once) and builds a tree: scripts/build.sh [BUILD_DIR] [cmake options...]
set -e
cd "$(dirname "$0")/.."
dir=${1:-build}
[ $# -gt 0 ] && shift
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$dir" -j"$(nproc)"
