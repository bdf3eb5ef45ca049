#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times our AAC encoder and WAV converter programs against the ffmpeg program
# doing the same work on the same libraries (libavcodec's aac encoder,
# libsoxr), on 1- and 5-minute sources, and reports peak memory of both.
#   bench/faac-ssrc.sh [BUILD_DIR]   (default build; builds tremolix-faac and tremolix-ssrc)
# Targets: CPU time ratio at most 1.1; peak memory flat with input length
# (compare the 1- and 5-minute rows).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-faac tremolix-ssrc -j2 >/dev/null
faac="$build/tools-bin/tremolix-faac"
ssrc="$build/tools-bin/tremolix-ssrc"
work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
runs=${RUNS:-3}

. bench/common.sh

ff="ffmpeg -nostdin -v error -y"
# name | our command | ffmpeg's command, with IN and OUT for the files
jobs='aac 128k|$faac -b 64 -o OUT.m4a IN|$ff -i IN -c:a aac -b:a 128k -f ipod OUT.m4a
wav 48 kHz|$ssrc --rate 48000 IN OUT.wav|$ff -i IN -af aresample=48000:resampler=soxr:precision=20 -c:a pcm_s16le OUT.wav
wav 24-bit|$ssrc --bits 24 IN OUT.wav|$ff -i IN -c:a pcm_s24le OUT.wav'

make_minute "$work/minute.wav"
printf '%-18s %9s %9s %6s %9s %9s %6s %8s %8s\n' job wall_own wall_ff ratio cpu_own cpu_ff ratio MB_own MB_ff
for minutes in 1 5; do
  make_source "$minutes" "$work/source.wav"
  echo "$jobs" | while IFS='|' read -r name own theirs; do
    own=$(eval echo "$own" | sed "s|IN|$work/source.wav|; s|OUT|$work/own|")
    theirs=$(eval echo "$theirs" | sed "s|IN|$work/source.wav|; s|OUT|$work/ffmpeg|")
    # shellcheck disable=SC2086
    measure $own
    o_wall=$best_wall o_cpu=$best_cpu o_rss=$best_rss
    # shellcheck disable=SC2086
    measure $theirs
    printf '%-18s %9s %9s %6s %9s %9s %6s %8s %8s\n' "${minutes}min $name" \
      "$o_wall" "$best_wall" "$(ratio "$o_wall" "$best_wall")" \
      "$o_cpu" "$best_cpu" "$(ratio "$o_cpu" "$best_cpu")" \
      "$(echo "scale=1; $o_rss / 1024" | bc)" "$(echo "scale=1; $best_rss / 1024" | bc)"
  done
done
