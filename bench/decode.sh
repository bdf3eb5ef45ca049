#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the engine's decode to WAV against `ffmpeg -i X -f wav` on the same
# files in the same run, and reports peak memory of both.
#   bench/decode.sh [BUILD_DIR]   (default build; builds tremolix-decode-bench)
# Targets: time ratio at most 1.1; peak memory under 50 MB and flat with
# input length (compare the 1- and 5-minute rows).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-decode-bench -j2 >/dev/null
bench="$build/bench-bin/tremolix-decode-bench"
work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
runs=${RUNS:-5}

. bench/common.sh

make_minute "$work/minute.wav"
printf '%-10s %9s %9s %6s %9s %9s %6s %8s %8s\n' file wall_eng wall_ff ratio cpu_eng cpu_ff ratio MB_eng MB_ff
for minutes in 1 5; do
  make_source "$minutes" "$work/source.wav"
  flac --silent -f -o "$work/${minutes}min.flac" "$work/source.wav"
  lame --quiet -b 192 "$work/source.wav" "$work/${minutes}min.mp3"
  rm -f "$work/source.wav"
  for kind in flac mp3; do
    input="$work/${minutes}min.$kind"
    measure "$bench" "$input" "$work/engine.wav"
    e_wall=$best_wall e_cpu=$best_cpu e_rss=$best_rss
    measure ffmpeg -nostdin -v error -y -i "$input" -f wav "$work/ffmpeg.wav"
    # Same samples, or the timing compares different work.
    [ "$(tail -c +45 "$work/engine.wav" | md5sum)" = "$(ffmpeg -nostdin -v error -i "$input" -f s16le - | md5sum)" ] ||
      echo "warning: $input: engine and ffmpeg samples differ" >&2
    printf '%-10s %9s %9s %6s %9s %9s %6s %8s %8s\n' "${minutes}min.$kind" \
      "$e_wall" "$best_wall" "$(ratio "$e_wall" "$best_wall")" \
      "$e_cpu" "$best_cpu" "$(ratio "$e_cpu" "$best_cpu")" \
      "$(echo "scale=1; $e_rss / 1024" | bc)" "$(echo "scale=1; $best_rss / 1024" | bc)"
  done
done
