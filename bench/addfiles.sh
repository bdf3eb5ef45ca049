#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times adding 500 files (250 MP3, 250 FLAC copies) to the main window's
# list against reading the same files' properties with one ffprobe run per
# file, in the same run.
#   bench/addfiles.sh [BUILD_DIR]   (default build; builds tremolix-addfiles-bench)
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-addfiles-bench -j2 >/dev/null
bench="$build/bench-bin/tremolix-addfiles-bench"
work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TREMOLIX_HOME="$work/home"
mkdir -p "$TREMOLIX_HOME" "$work/files"

ffmpeg -nostdin -v error -y -bitexact -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=30" -ac 2 -bitexact "$work/src.wav"
lame --quiet -b 192 "$work/src.wav" "$work/src.mp3"
flac --silent -f -o "$work/src.flac" "$work/src.wav"
i=0
while [ $i -lt 250 ]; do
  cp "$work/src.mp3" "$work/files/song $i.mp3"
  cp "$work/src.flac" "$work/files/song $i.flac"
  i=$((i + 1))
done

set -- $("$bench" "$work/files")
engine=$1 entries=$2
start=$(date +%s%N)
for f in "$work/files"/*; do
  ffprobe -v error -show_entries format=duration,size,bit_rate:stream=channels,sample_rate -of csv "$f" >/dev/null
done
probe=$(echo "scale=3; ($(date +%s%N) - $start) / 1000000000" | bc)
printf '%-8s %10s %10s %7s\n' entries addfiles_s ffprobe_s ratio
printf '%-8s %10s %10s %7s\n' "$entries" "$engine" "$probe" "$(echo "scale=3; $engine / $probe" | bc)"
