#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the programs (not the test suite), and
# starts the desktop program; arguments go to it (files and folders to list).
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -- tremolix tremolix-cli encoder_archive program_folder
exec build/bin/tremolix "$@"
