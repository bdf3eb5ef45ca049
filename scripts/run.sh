#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the desktop program.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
exec build/bin/tremolix "$@"
