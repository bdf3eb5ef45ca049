#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the whole test suite.
#   scripts/test.sh            normal build in build/
#   scripts/test.sh --sanitize AddressSanitizer + UBSan build in build-asan/
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ "$1" = "--sanitize" ]; then
  dir=build-asan
  scripts/build.sh "$dir" -DTREMOLIX_SANITIZE=ON
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir=build
  scripts/build.sh "$dir"
fi
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
